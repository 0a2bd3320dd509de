#pragma once

#include <cstdint>

// One row of the injector-type table: choosing it as setting 24 writes its four values into
// settings 25..28.
struct InjectorType {
    const char* name;   // UTF-8, shown as it stands in every language
    uint8_t values[4];  // settings 25, 26, 27, 28
};

namespace InjectorTypes {
constexpr int kCount = 27;
// Row `row` of the table; row 0 (empty name) for a row outside 0..26.
const InjectorType& row(int row);
}  // namespace InjectorTypes

namespace ObdProtocols {
constexpr int kCount = 11;
// Name of OBD protocol `n` as selected by settings 109 and 257; empty for 0, 1 and outside 0..10.
const char* name(int n);
}  // namespace ObdProtocols
