#include "commands/catalogue.h"

#include <map>
#include <mutex>
#include <string>

namespace qel::commands {

const std::vector<CatalogueEntry>& CommandCatalogue() {
  static const std::vector<CatalogueEntry> catalogue = {
      {"Parse String", kOwnerStrings},
      {"Replace String", kOwnerStrings},
      {"Convert Case", kOwnerStrings},
      {"Convert Path", kOwnerStrings},
      {"Extract Path", kOwnerStrings},
      {"Get Temporary File", kOwnerStrings},
      {"Read from Text File", kOwnerStrings},
      {"Write to Text File", kOwnerStrings},
      {"Get System Settings", kOwnerQueries},
      {"Get OS or SP Level", kOwnerQueries},
      {"Get Folder Location", kOwnerQueries},
      {"Check Disk Space", kOwnerQueries},
      {"Read Registry", kOwnerQueries},
      {"Check Registry", kOwnerQueries},
      {"Get Environment", kOwnerQueries},
      {"Does File/Folder Exist", kOwnerQueries},
      {"Get File Version", kOwnerQueries},
      {"Check File Version", kOwnerQueries},
      {"Get INI File Settings", kOwnerQueries},
      {"Get XML File Settings", kOwnerQueries},
      {"Is MSI Setup Installed", kOwnerQueries},
      {"Check Process", kOwnerQueries},
      {"Check Service", kOwnerQueries},
      {"Set 64 Bit Mode", kOwnerQueries},
      {"Run Program", kOwnerActions},
      {"Run Program As", kOwnerActions},
      {"Terminate Process", kOwnerActions},
      {"Terminate Program", kOwnerActions},
      {"Delete Registry", kOwnerActions},
      {"Find All Files", kOwnerActions},
      {"Delete Files Recursive", kOwnerActions},
      {"Register Library", kOwnerActions},
      {"MessageBox", kOwnerActions},
      {"MessageBalloon", kOwnerActions},
      {"System Tray", kOwnerActions},
      {"Terminate with Exit Code", kOwnerEngine},
      {"Reboot Computer", kOwnerActions},
      {"Reboot and Resume", kOwnerActions},
      {"Reboot and Login", kOwnerActions},
      {"Create User", kOwnerAccounts},
      {"Delete User", kOwnerAccounts},
      {"Create Group", kOwnerAccounts},
      {"Delete Group", kOwnerAccounts},
      {"Create Share", kOwnerAccounts},
      {"Delete Share", kOwnerAccounts},
      {"Set Access Control", kOwnerAccounts},
      {"Get IIS Site List", kOwnerWebServer},
      {"Get IIS Site Index", kOwnerWebServer},
      {"Get IIS Property", kOwnerWebServer},
      {"Set IIS Property", kOwnerWebServer},
      {"Create IIS Site", kOwnerWebServer},
      {"Create Virtual Folder", kOwnerWebServer},
      {"Delete IIS Site", kOwnerWebServer},
      {"Delete Virtual Folder", kOwnerWebServer},
      {"Control IIS Site", kOwnerWebServer},
      {"IIS Anonymous User", kOwnerWebServer},
      {"Generate Native Images", kOwnerDotNet},
      {"Run .NET Installer Class", kOwnerDotNet},
      {"Register Assembly", kOwnerDotNet},
      {"Remove Assemblies", kOwnerDotNet},
      {"Create Media Center", kOwnerShell},
      {"Delete Media Center", kOwnerShell},
      {"Create Games Explorer", kOwnerShell},
      {"Delete Games Explorer", kOwnerShell},
      {"Schedule Task", kOwnerShell},
      {"Delete Scheduled Task", kOwnerShell},
      {"System Restore", kOwnerShell},
      {"Install Files", kOwnerDeferred},
      {"Install Assembly", kOwnerDeferred},
      {"Install Service", kOwnerDeferred},
      {"Control Service", kOwnerDeferred},
      {"Install ODBC Driver", kOwnerDeferred},
      {"Create ODBC DSN", kOwnerDeferred},
      {"Write Registry", kOwnerDeferred},
      {"Create File Type", kOwnerDeferred},
      {"Advertised File Type", kOwnerDeferred},
      {"Create Folder", kOwnerDeferred},
      {"Create Shortcut", kOwnerDeferred},
      {"Advertised Shortcut", kOwnerDeferred},
      {"Copy/Move Local Files", kOwnerDeferred},
      {"Delete Files", kOwnerDeferred},
      {"Edit INI File", kOwnerDeferred},
      {"Set Environment", kOwnerDeferred},
      {"Edit XML File", kOwnerXmlEdit},
      {"Apply Changes", kOwnerDeferred},
      {"Define Component", kOwnerComponents},
      {"Delete Component", kOwnerComponents},
      {"Set Component State", kOwnerComponents},
      {"Get Component State", kOwnerComponents},
      {"Set Component Visibility", kOwnerComponents},
      {"Set Component Choice", kOwnerComponents},
      {"Set Component Space", kOwnerComponents},
      {"Get Component Space", kOwnerComponents},
      {"Save Feature Selections", kOwnerComponents},
      {"Load Feature Selections", kOwnerComponents},
      {"Apply Patch", kOwnerMsi},
      {"Transform Instance", kOwnerMsi},
      {"Display Dialog", kOwnerWizard},
      {"Hide Dialog", kOwnerWizard},
      {"Web Media Block", kOwnerMedia},
      {"Extract 7Zip Archive", kOwnerMedia},
      {"Run Light Mode Setup", kOwnerMedia},
      {"Localization Variable", kOwnerLocalization},
      {"Set Variable", kOwnerEngine},
      {"Mathematics", kOwnerEngine},
      {"Evaluate Expression", kOwnerEngine},
      {"If", kOwnerEngine},
      {"Else If", kOwnerEngine},
      {"Else", kOwnerEngine},
      {"End", kOwnerEngine},
      {"While", kOwnerEngine},
      {"Wend", kOwnerEngine},
      {"Repeat", kOwnerEngine},
      {"Until", kOwnerEngine},
      {"Break", kOwnerEngine},
      {"Continue", kOwnerEngine},
      {"Label", kOwnerEngine},
      {"GoTo Label", kOwnerEngine},
      {"Wizard Loop", kOwnerEngine},
      {"Comment", kOwnerEngine},
      {"Ignore", kOwnerEngine},
      {"Terminate Install", kOwnerEngine},
  };
  return catalogue;
}

std::string_view CommandOwner(std::string_view name) {
  for (const CatalogueEntry& entry : CommandCatalogue())
    if (entry.name == name) return entry.owner;
  return {};
}

namespace {

std::mutex g_handlers_mutex;

std::map<std::string, CommandHandler, std::less<>>& Handlers() {
  static std::map<std::string, CommandHandler, std::less<>> handlers;
  return handlers;
}

}  // namespace

void AddCommandHandler(std::string_view name, CommandHandler handler) {
  std::lock_guard lock(g_handlers_mutex);
  Handlers()[std::string(name)] = std::move(handler);
}

const CommandHandler* FindCommandHandler(std::string_view name) {
  std::lock_guard lock(g_handlers_mutex);
  auto it = Handlers().find(name);
  return it == Handlers().end() ? nullptr : &it->second;
}

void RegisterCatalogue(const Registrar& registrar) {
  for (const CatalogueEntry& entry : CommandCatalogue()) {
    if (entry.owner == kOwnerEngine) continue;
    const CommandHandler* handler = FindCommandHandler(entry.name);
    registrar(entry.name, entry.owner, handler ? *handler : CommandHandler([](const CommandParams&) {}));
  }
}

std::vector<std::string_view> PendingCommandNames() {
  std::vector<std::string_view> pending;
  for (const CatalogueEntry& entry : CommandCatalogue())
    if (entry.owner != kOwnerEngine && !FindCommandHandler(entry.name)) pending.push_back(entry.name);
  return pending;
}

}  // namespace qel::commands
