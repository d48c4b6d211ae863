#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "model/DockProfile.h"

namespace moorvane {

class Dialogs;
class ProfileStore;

inline constexpr std::string_view profileDocumentType = "com.moorvane.dockprofile";
inline constexpr std::string_view profileDocumentExtension = ".dockprofile";
inline constexpr std::string_view jsonContentType = "public.json";

// A profile document is a few kilobytes; anything this large is not one, and reading it whole would only
// exhaust memory.
inline constexpr std::uintmax_t maxImportBytes = 64u * 1024u * 1024u;

// The name's "/" and ":" become "-"; an empty result gives "Profile". Without the extension.
std::string suggestedFileName(const DockProfile& profile);
// The name itself when no stored profile answers to it by name, else the first free "name 2", "name 3", ...
std::string uniqueImportName(const std::string& name, const std::vector<DockProfile>& stored);

// The document: pretty-printed, keys sorted at every level, dates as ISO 8601 text.
Result<std::string> encodeProfileDocument(const DockProfile& profile, Date exportedAt);
// A document, or failing that a bare profile as the store writes it; the error is the document's.
Result<DockProfile> decodeImportedProfile(std::string_view bytes);
// The whole content of a regular file of at most maxImportBytes; FIFOs, devices and folders are refused
// without blocking.
Result<std::string> readImportFile(const std::filesystem::path& location);

// Export and import of single profiles as documents, over modal dialogs. Holds no state of its own; main
// thread only.
class ProfileIO {
  public:
    ProfileIO(ProfileStore& store, Dialogs& dialogs) : store_(store), dialogs_(dialogs) {}

    // Done (also when the user cancels the panel), or the failure that was reported.
    Status exportProfile(const DockProfile& profile);
    void showImportPanel();
    // Appends the file's profile under a fresh identifier, a free name and fresh dates, and saves the store;
    // the reported failure otherwise. Nothing is switched.
    Result<DockProfile> importProfile(const std::filesystem::path& location);
    // One log line, then a modal warning alert.
    void reportFailure(const std::string& message, const Error& error);

  private:
    ProfileStore& store_;
    Dialogs& dialogs_;
};

}  // namespace moorvane
