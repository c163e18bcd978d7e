#include "commands/catalogue.h"
#include "commands/win/system_queries.h"

namespace qel::commands {

void AddSystemQueryHandlers() {
  AddCommandHandler("Get System Settings", GetSystemSettingsCommand);
  AddCommandHandler("Get OS or SP Level", GetOsOrSpLevelCommand);
  AddCommandHandler("Get Folder Location", GetFolderLocationCommand);
  AddCommandHandler("Check Disk Space", CheckDiskSpaceCommand);
  AddCommandHandler("Read Registry", ReadRegistryCommand);
  AddCommandHandler("Check Registry", CheckRegistryCommand);
  AddCommandHandler("Get Environment", GetEnvironmentCommand);
  AddCommandHandler("Does File/Folder Exist", DoesFileFolderExistCommand);
  AddCommandHandler("Get File Version", GetFileVersionCommand);
  AddCommandHandler("Check File Version", CheckFileVersionCommand);
  AddCommandHandler("Get INI File Settings", GetIniFileSettingsCommand);
  AddCommandHandler("Get XML File Settings", GetXmlFileSettingsCommand);
  AddCommandHandler("Is MSI Setup Installed", IsMsiSetupInstalledCommand);
  AddCommandHandler("Check Process", CheckProcessCommand);
  AddCommandHandler("Check Service", CheckServiceCommand);
}

}  // namespace qel::commands
