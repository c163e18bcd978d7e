// The system query commands.
#pragma once

#include <string>

#include "commands/command_params.h"

namespace qel::commands {

void GetSystemSettingsCommand(const CommandParams& p);
void GetOsOrSpLevelCommand(const CommandParams& p);
void GetFolderLocationCommand(const CommandParams& p);
void CheckDiskSpaceCommand(const CommandParams& p);
void ReadRegistryCommand(const CommandParams& p);
void CheckRegistryCommand(const CommandParams& p);
void GetEnvironmentCommand(const CommandParams& p);
void DoesFileFolderExistCommand(const CommandParams& p);
void GetFileVersionCommand(const CommandParams& p);
void CheckFileVersionCommand(const CommandParams& p);
void GetIniFileSettingsCommand(const CommandParams& p);
void GetXmlFileSettingsCommand(const CommandParams& p);
void IsMsiSetupInstalledCommand(const CommandParams& p);
void CheckProcessCommand(const CommandParams& p);
void CheckServiceCommand(const CommandParams& p);

// The answers behind the commands, for reuse by other commands.
std::string SystemSetting(int number);
std::string FolderLocation(int code, bool common);
std::string XmlFileSettings(const std::string& file, const std::string& element_path, const std::string& attribute);

// Whether the native installation record of the running product exists; set
// by the product-identity code once it is loaded (false until then).
void SetNativeRecordProbe(bool (*probe)());

void AddSystemQueryHandlers();

}  // namespace qel::commands
