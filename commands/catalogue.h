// Every statement name the executor knows, with the command family that owns
// it, and the handlers the command library implements so far.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "commands/command_params.h"

namespace qel::commands {

using CommandHandler = std::function<void(const CommandParams&)>;

// Owner tags: who implements a name.
inline constexpr std::string_view kOwnerEngine = "engine";          // control flow, variables, arithmetic
inline constexpr std::string_view kOwnerStrings = "strings";        // string, path and text-file commands
inline constexpr std::string_view kOwnerQueries = "queries";        // system queries
inline constexpr std::string_view kOwnerActions = "actions";        // immediate actions
inline constexpr std::string_view kOwnerAccounts = "accounts";      // users, groups, shares, access
inline constexpr std::string_view kOwnerWebServer = "webserver";
inline constexpr std::string_view kOwnerDotNet = "dotnet";
inline constexpr std::string_view kOwnerShell = "shell";
inline constexpr std::string_view kOwnerDeferred = "deferred";      // recorded installation actions
inline constexpr std::string_view kOwnerXmlEdit = "xmledit";
inline constexpr std::string_view kOwnerComponents = "components";
inline constexpr std::string_view kOwnerMsi = "msi";
inline constexpr std::string_view kOwnerWizard = "wizard";
inline constexpr std::string_view kOwnerMedia = "media";
inline constexpr std::string_view kOwnerLocalization = "localization";

struct CatalogueEntry {
  std::string_view name;
  std::string_view owner;
};

const std::vector<CatalogueEntry>& CommandCatalogue();
// The owner of a name, or "" when the executor does not know it.
std::string_view CommandOwner(std::string_view name);

// Handlers by exact name. Adding a name again replaces its handler.
void AddCommandHandler(std::string_view name, CommandHandler handler);
const CommandHandler* FindCommandHandler(std::string_view name);

// Adds the handlers that need no operating system (portable builds run these).
void AddPortableCommandHandlers();

// Hands every name not owned by the engine itself to the executor's dispatch
// table: the implemented handler, or a handler that does nothing yet.
using Registrar = std::function<void(std::string_view name, std::string_view owner, CommandHandler handler)>;
void RegisterCatalogue(const Registrar& registrar);

// Catalogue names (engine-owned ones aside) that have no handler yet.
std::vector<std::string_view> PendingCommandNames();

}  // namespace qel::commands
