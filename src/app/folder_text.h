// Folder paths as the dialog keeps them: the bytes the settings and the file
// system give, never remade from what the screen shows. A name that is not
// valid UTF-8 (a folder made under another locale) is shown with U+FFFD where
// its bytes do not read, and is still listed, imported from and stored as
// itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rqx340 {

// `folder` as a front end shows it: valid UTF-8, each ill-formed subpart as
// U+FFFD. Every front end shows folder texts through this, so that the text
// the user leaves unchanged is known for the bytes it stands for.
std::string ShownFolderText(std::string_view folder);

// `folder` itself (without trailing separators) when it is a folder that
// opens, else its nearest ancestor that is; empty when `folder` is empty or
// relative and none is found.
std::string NearestExistingFolder(const std::string& folder);

// Where a folder chooser that takes text opens for `folder`: the nearest
// existing folder whose path is valid UTF-8, so that the chooser can name it.
std::string ChooserStartFolder(const std::string& folder);

// The bytes of the folder a chooser gave as text. A chooser that reads names
// lossily gives U+FFFD for the bytes of a name it could not read; such a path
// names nothing, and each component of it that is no folder is found again
// among its parent's entries by the text it shows (ShownFolderText). Nullopt
// when that finds none or more than one; `shown` itself when it is a folder.
std::optional<std::string> FolderFromShownText(const std::string& shown);

}  // namespace rqx340
