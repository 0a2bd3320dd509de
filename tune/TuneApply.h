#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <array>
#include <cstdint>

#include "tune/MultiplierChange.h"
#include "tune/MultiplierProposal.h"

struct MemoryImage;
class TSterownik;

// The tune assistant over the link's memory image: the proposal from the learned maps (or from a
// recording's samples), its node table as text, and applying it through the normal write of the
// settings block and multiplier bank 1.
namespace TuneAssistant {

// The multiplier scale's limits (of the wide scale or the normal one) and the time axis' end of `mem`.
MultiplierProposal::Limits limitsOf(const MemoryImage& mem);

// From the learned petrol and gas maps and the OBD correction maps of bank 1.
MultiplierProposal::Proposal fromImage(const MemoryImage& mem);
// The same from the maps given, for the nodes and table of `mem`.
MultiplierProposal::Proposal fromImage(const MemoryImage& mem, const MultiplierChange::Learned& learned);

// The multiplier in force (bank 1's node slots and table) and the learned maps of `mem`.
MultiplierChange::Multiplier multiplierOf(const MemoryImage& mem);
MultiplierChange::Learned learnedOf(const MemoryImage& mem);

// The proposal for a connected controller, from the cells learned under the multiplier in force:
// the record of the multiplier's last change, kept in the folder `records` (MultiplierChangeFile)
// per controller, tells them from the stale ones. While too few are relearned nothing is proposed
// (`enough` false, `relearning` says how many). Without a folder or a serial number the maps count
// as they are. `recordKept` is false when a record could not be saved.
MultiplierProposal::Proposal forController(const MemoryImage& mem, const QString& records, bool& recordKept);

// After a write of the multiplier: keeps the record of the change from `before` (bank 1 before the
// write) to the multiplier in `mem`, with the learned maps as they are now. True when there is no
// folder or serial to keep it for; false when it could not be saved.
bool recordChange(const QString& records, const MemoryImage& mem, const std::array<uint8_t, 256>& before);
// From a recording: `recorded` holds its head (the multiplier the car drove on), `samples` its `count`
// samples of 128 bytes. The multiplier each cell needed does not depend on the multiplier it was
// recorded with, so the proposal is made for the nodes and table of `present` (the connected
// controller's, or the recording's own).
MultiplierProposal::Proposal fromRecording(const MemoryImage& recorded, const uint8_t* samples, int count,
                                           const MemoryImage& present);

// Puts the proposal's nodes into the node slots of bank 1 (sorted, empty slots first) and their
// values into the table, recomputes the table between them as a node edit does and asks the link
// to write the settings block and multiplier bank 1. False (nothing changed) when there is nothing
// to apply or the link does not take writes now.
bool apply(TSterownik& link, const MultiplierProposal::Proposal& proposal);

// The node table in the program's language: a header and one line per node, the columns separated
// by tabs (time, present, proposed, change, evidence).
QStringList nodeTable(const MultiplierProposal::Proposal& proposal);
// The evidence column of one node ("12 cells, 24 samples", "too little evidence", ...).
QString evidenceText(const MultiplierProposal::Node& node);
// "deviation 8.3 % -> 0.9 % (5 nodes changed)": the fixed last line of the command line.
QString summaryLine(const MultiplierProposal::Proposal& proposal);
// What to drive when the evidence is too thin: the petrol-time ranges that lack cells, or, while the
// maps relearn after a change of the multiplier, how many cells are relearned of how many.
QString missingText(const MultiplierProposal::Proposal& proposal);
// "Drive first: 3 of 24 cells relearned since the multiplier change (12 needed)", preceded by a
// sentence on the change made elsewhere when that is why.
QString relearningText(const MultiplierChange::Status& status);

}  // namespace TuneAssistant
