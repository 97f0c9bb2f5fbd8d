#include "app/app_settings.h"

namespace orvande {
namespace {

constexpr char kOptions[] = "Options";
constexpr char kMisc[] = "Misc";
constexpr char kPrompts[] = "Prompts";
constexpr char kPartitions[] = "Partitions";

}  // namespace

AppSettings::AppSettings() {
  AddEntry(&strRecoverOutputFolder, kOptions, "strRecoverOutputFolder");
  AddEntry(&bRecoverAlternativeStreams, kOptions, "bRecoverAlternativeStreams");
  AddEntry(&bRecoverEA, kOptions, "bRecoverEA");
  AddEntry(&bRecoverAllFiles, kOptions, "bRecoverAllFiles");
  AddEntry(&bRestoreFolderStructure, kOptions, "bRestoreFolderStructure");
  AddEntry(&bShowSplash, kMisc, "bShowSplash");
  AddEntry(&bShowTips, kMisc, "bShowTips");
  AddEntry(&dwTipFilePos, kMisc, "dwTipFilePos");
  AddEntry(&strLastSearchString, kMisc, "strLastSearchString");
  AddEntry(&bSearchMatchFullName, kMisc, "bSearchMatchFullName");
  AddEntry(&bSearchMatchCase, kMisc, "bSearchMatchCase");
  AddEntry(&bSearchDeletedOnly, kMisc, "bSearchDeletedOnly");
  AddEntry(&bShowMountPointPrompt, kPrompts, "bShowMountPointPrompt");
  AddEntry(&bShowRecoveryProbability, kMisc, "bShowRecoveryProbability");
  AddEntry(&nLastSelectedDisk, kPartitions, "nLastSelectedDisk");
  AddEntry(&bUseFileType, kOptions, "bUseFileType");
  AddEntry(&dwScanFS, kPartitions, "dwScanFS");
}

}  // namespace orvande
