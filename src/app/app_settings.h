#pragma once
// The program's options, bound to the values of the store key "\Settings". Each setter saves its
// value at once. May be used from several threads (the recovery job and the analyzers read it
// while the user interface writes it).
#include <cstdint>
#include <string>

#include "app/registry_store.h"

namespace orvande {

class AppSettings final : public RegistryStore {
 public:
  static constexpr char kRegistryRoot[] = "HKEY_CURRENT_USER\\Software\\Pellvane\\Orvande";
  static constexpr char kStoreKey[] = "\\Settings";
  static constexpr uint32_t kAllFileSystems = 0xFFFFFFFF;

  AppSettings();

  std::string RecoverOutputFolder() const { return Get(strRecoverOutputFolder); }
  void SetRecoverOutputFolder(std::string value) { Set(strRecoverOutputFolder, std::move(value)); }
  bool RecoverAlternativeStreams() const { return Get(bRecoverAlternativeStreams); }
  void SetRecoverAlternativeStreams(bool value) { Set(bRecoverAlternativeStreams, value); }
  bool RecoverEA() const { return Get(bRecoverEA); }
  void SetRecoverEA(bool value) { Set(bRecoverEA, value); }
  bool RecoverAllFiles() const { return Get(bRecoverAllFiles); }
  void SetRecoverAllFiles(bool value) { Set(bRecoverAllFiles, value); }
  bool RestoreFolderStructure() const { return Get(bRestoreFolderStructure); }
  void SetRestoreFolderStructure(bool value) { Set(bRestoreFolderStructure, value); }
  bool ShowSplash() const { return Get(bShowSplash); }
  void SetShowSplash(bool value) { Set(bShowSplash, value); }
  bool ShowTips() const { return Get(bShowTips); }
  void SetShowTips(bool value) { Set(bShowTips, value); }
  uint32_t TipFilePos() const { return Get(dwTipFilePos); }
  void SetTipFilePos(uint32_t value) { Set(dwTipFilePos, value); }
  std::string LastSearchString() const { return Get(strLastSearchString); }
  void SetLastSearchString(std::string value) { Set(strLastSearchString, std::move(value)); }
  bool SearchMatchFullName() const { return Get(bSearchMatchFullName); }
  void SetSearchMatchFullName(bool value) { Set(bSearchMatchFullName, value); }
  bool SearchMatchCase() const { return Get(bSearchMatchCase); }
  void SetSearchMatchCase(bool value) { Set(bSearchMatchCase, value); }
  bool SearchDeletedOnly() const { return Get(bSearchDeletedOnly); }
  void SetSearchDeletedOnly(bool value) { Set(bSearchDeletedOnly, value); }
  bool ShowMountPointPrompt() const { return Get(bShowMountPointPrompt); }
  void SetShowMountPointPrompt(bool value) { Set(bShowMountPointPrompt, value); }
  bool ShowRecoveryProbability() const { return Get(bShowRecoveryProbability); }
  void SetShowRecoveryProbability(bool value) { Set(bShowRecoveryProbability, value); }
  int32_t LastSelectedDisk() const { return Get(nLastSelectedDisk); }
  void SetLastSelectedDisk(int32_t value) { Set(nLastSelectedDisk, value); }
  bool UseFileType() const { return Get(bUseFileType); }
  void SetUseFileType(bool value) { Set(bUseFileType, value); }
  uint32_t ScanFS() const { return Get(dwScanFS); }
  void SetScanFS(uint32_t value) { Set(dwScanFS, value); }

 private:
  std::string strRecoverOutputFolder;
  bool bRecoverAlternativeStreams = true;
  bool bRecoverEA = true;
  bool bRecoverAllFiles = false;
  bool bRestoreFolderStructure = false;
  bool bShowSplash = true;
  bool bShowTips = true;
  uint32_t dwTipFilePos = 0;
  std::string strLastSearchString;
  bool bSearchMatchFullName = false;
  bool bSearchMatchCase = false;
  bool bSearchDeletedOnly = true;
  bool bShowMountPointPrompt = true;
  bool bShowRecoveryProbability = true;
  int32_t nLastSelectedDisk = 0;
  bool bUseFileType = true;
  uint32_t dwScanFS = kAllFileSystems;
};

}  // namespace orvande
