#include "platform/crash_report_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "platform/crash_exception.h"
#include "platform/crash_modules.h"
#include "platform/crash_text.h"

namespace orvande::platform {
namespace {

constexpr int kAddressDigits = 16;

void AddRegister(CrashText& out, const char* name, uint64_t value) {
  out.Add(name).Add(':').Hex(value, kAddressDigits).Add('\n');
}

void AddDump(CrashText& out, const char* title, const CrashDump& dump) {
  out.Add(title);
  for (uint32_t i = 0; i < dump.count && i < kCrashDumpWords; ++i)
    out.Add("0x").Hex(dump.words[i], kAddressDigits).Add(' ');
}

void AddHeader(CrashText& out, const CrashRecord& record, const CrashReportFacts& facts) {
  out.Add("=========================================================\n"
          "=============Orvande==2.0=Crash=Report===========\n"
          "=========================================================\n\n");
  out.Add("OS : ").Add(facts.osText).Add("\nModule : ").Add(facts.programPath).Add('\n');
  out.Add(facts.additionalText).Add("\nBuilt on Feb 14 2005\n\n");
  out.Add("Exception code: ").Hex(record.exceptionCode, 8).Add(' ');
  out.Add(ExceptionName(record.exceptionCode)).Add('\n');
  const LogicalAddress fault = FindLogicalAddress(record.faultAddress, facts.programPath);
  out.Add("Fault address:  ").Hex(record.faultAddress, kAddressDigits).Add(' ');
  out.Hex(fault.section, 2).Add(':').Hex(fault.offset, kAddressDigits).Add(' ');
  out.Add(fault.module).Add('\n');
  out.Add("Signal: ").Decimal(record.signalNumber).Add(" code ").Decimal(record.signalCode);
  out.Add(" address ").Hex(record.dataAddress, kAddressDigits).Add('\n');
}

void AddRegisters(CrashText& out, const CrashRecord& r) {
  out.Add("\nRegisters:\n");
  AddRegister(out, "RAX", r.rax);
  AddRegister(out, "RBX", r.rbx);
  AddRegister(out, "RCX", r.rcx);
  AddRegister(out, "RDX", r.rdx);
  AddRegister(out, "RSI", r.rsi);
  AddRegister(out, "RDI", r.rdi);
  const uint64_t extra[] = {r.r8, r.r9, r.r10, r.r11, r.r12, r.r13, r.r14, r.r15};
  for (int i = 0; i < 8; ++i) {
    out.Add('R').Decimal(8 + i).Add(':').Hex(extra[i], kAddressDigits).Add('\n');
  }
  out.Add("CS:RIP:").Hex(r.cs, 4).Add(':').Hex(r.rip, kAddressDigits).Add('\n');
  out.Add("SS:RSP:").Hex(r.ss, 4).Add(':').Hex(r.rsp, kAddressDigits);
  out.Add("  RBP:").Hex(r.rbp, kAddressDigits).Add('\n');
  out.Add("DS:").Hex(r.ds, 4).Add("  ES:").Hex(r.es, 4).Add("  FS:").Hex(r.fs, 4);
  out.Add("  GS:").Hex(r.gs, 4).Add('\n');
  out.Add("Flags:").Hex(r.eflags, 8).Add('\n');
}

void AddCallStack(CrashText& out, const CrashRecord& record, const CrashReportFacts& facts) {
  out.Add("\nCall stack:\n\tAddress           Frame             Logical addr          Module\n");
  for (uint32_t i = 0; i < record.frameCount && i < kCrashStackEntries; ++i) {
    const CrashFrame& entry = record.callStack[i];
    const LogicalAddress where = FindLogicalAddress(entry.returnAddress, facts.programPath);
    out.Add('\t').Hex(entry.returnAddress, kAddressDigits).Add("  ");
    out.Hex(entry.frameAddress, kAddressDigits).Add("  ");
    out.Hex(where.section, 4).Add(':').Hex(where.offset, kAddressDigits).Add(' ');
    out.Add(where.module).Add('\n');
  }
  if (record.frameCount >= kCrashStackEntries) out.Add("Stack Overflow.");
}

void AddModule(const ModuleSpan& module, void* context) {
  auto& out = *static_cast<CrashText*>(context);
  out.Add('\t').Hex(module.base, kAddressDigits).Add('\t').Hex(module.size, kAddressDigits);
  out.Add('\t').Add(module.path).Add('\n');
}

// Whatever is at path goes first: a stale file that is not ours to write (it would otherwise be
// left for the consent process to read), or a link planted there. The new file is made only
// where nothing is, and no link is followed to it.
int CreateAnew(const char* path) {
  unlink(path);
  int fd;
  do {
    fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

void WriteCrashReport(int fd, const CrashRecord& record, const CrashReportFacts& facts) {
  CrashText out(fd);
  AddHeader(out, record, facts);
  AddRegisters(out, record);
  AddDump(out, "\nRSP dump:\n", record.stackDump);
  AddDump(out, "\n\nRBP dump:\n", record.frameDump);
  AddDump(out, "\n\nRIP dump:\n", record.codeDump);
  out.Add('\n');
  AddCallStack(out, record, facts);
  out.Add("\nList of loaded modules:\n\tBase Address\t\tModule Size\t\tModule Name\n");
  ForEachModule(facts.programPath, &AddModule, &out);
  out.Add('\n');
}

bool WriteCrashReportFile(const char* path, const CrashRecord& record,
                          const CrashReportFacts& facts) {
  const int fd = CreateAnew(path);
  if (fd < 0) return false;
  WriteCrashReport(fd, record, facts);
  close(fd);
  return true;
}

bool WriteCrashRecordFile(const char* path, const CrashRecord& record) {
  const int fd = CreateAnew(path);
  if (fd < 0) return false;
  const auto* bytes = reinterpret_cast<const char*>(&record);
  size_t done = 0;
  while (done < sizeof record) {
    const ssize_t written = write(fd, bytes + done, sizeof record - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  close(fd);
  return done == sizeof record;
}

std::string CrashRecordPath(const std::string& reportPath) {
  return reportPath + ".record";
}

bool ReadCrashRecordFile(const std::string& path, CrashRecord* record) {
  std::ifstream in(path, std::ios::binary);
  CrashRecord read;
  if (!in.read(reinterpret_cast<char*>(&read), sizeof read)) return false;
  if (read.magic != kCrashRecordMagic) return false;
  // The file is only ours by its marker: keep every count within its array.
  if (read.frameCount > kCrashStackEntries) read.frameCount = kCrashStackEntries;
  for (CrashDump* dump : {&read.stackDump, &read.frameDump, &read.codeDump}) {
    if (dump->count > kCrashDumpWords) dump->count = kCrashDumpWords;
  }
  *record = read;
  return true;
}

}  // namespace orvande::platform
