#pragma once
// Where the unnamed data stream of an NTFS file record lies in the image, for the listing
// exports. The analyzer's reader is used by one thread at a time.
#include "app/export_run_collector.h"

namespace orvande {

class ItemLocation;
class NtfsAnalyzer;

// Reads the record a location of kind 0 or 1 names and adds its data's ranges to the collector:
// the clusters of non-resident data (holes and compressed units skipped; a stream whose runs end
// early stops there), or, for data kept in the record, the record's bytes on the volume, the
// ones the update sequence protects taken from its array. False when the record cannot be read
// or its bytes cannot be placed on the volume.
bool NtfsRecordRuns(NtfsAnalyzer& ntfs, const ItemLocation& location, RunCollector& collector);

}  // namespace orvande
