#pragma once
// Which files of a chosen set a job writes: a front end's filter over the file records (name,
// size, time, recovery probability). May be asked from the job's thread; must not change state.
namespace orvande {

class FileRecord;
class VolumeAnalyzer;

class RecordFilter {
 public:
  virtual ~RecordFilter() = default;
  // The analyzer is the job's own, for what only it can tell (the recovery probability).
  virtual bool Accepts(const FileRecord& record, VolumeAnalyzer& analyzer) const = 0;
};

}  // namespace orvande
