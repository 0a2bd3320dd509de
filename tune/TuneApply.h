#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>

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
// What to drive when the evidence is too thin: the petrol-time ranges that lack cells.
QString missingText(const MultiplierProposal::Proposal& proposal);

}  // namespace TuneAssistant
