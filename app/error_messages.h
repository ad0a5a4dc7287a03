#pragma once

#include "runtime/errors.h"

#include <optional>
#include <string>
#include <string_view>

namespace zelmora {

// A path between quotes, shown the way phrase text is: a folder named in
// another encoding still reads as letters, not as broken bytes; "?" for none.
std::string QuotedPath(const std::string& file);

// The Italian sentence that tells the user what went wrong: it names the
// problem, the file involved by its whole path and, where the system said
// why, the reason.
std::string ErrorMessage(const RuntimeError& error);

// What the user reads when the colours could not be saved: which file, why,
// and that the colours did not change.
std::string SaveFailureMessage(const RuntimeError& error);

// The reason of a failure in a few Italian words ("permesso negato",
// "spazio esaurito", ...), or the system's own text for the rare rest;
// empty when there is none.
std::string CauseText(const RuntimeError& error);

// Why a file could not be opened in a text editor.
enum class EditorProblem {
    NoOpener,         // nothing on this system could be started to open it
    NoProgramForText, // the desktop's opener knows no program for text files
    OpenerFailed,     // the opener, or the editor, failed before it was in use
};

// What the user reads when no text editor could open `file` (a path as the
// system spells it), followed by `advice`: the desktop's own word on what
// would help.
std::string NoEditorMessage(EditorProblem problem, const std::string& file,
                            const std::string& advice);

// What the user reads when no file manager could open `folder` (a path as
// the system spells it).
std::string FolderNotOpenedMessage(const std::string& folder);

// What the user reads when the entry that starts the window at every sign-in
// could not be made (`on`) or taken away: which file, why, and that nothing
// changed.
std::string SignInFailureMessage(const RuntimeError& error, bool on);

// The exit status of a program whose output could not be written.
inline constexpr int kWriteFailedStatus = 3;

// What `program` says on standard error when writing its output failed with
// the system's error code `error`: "zelmora: errore di scrittura: spazio
// esaurito sul disco". Nothing for a reader that went away: a closed pipe is
// no news.
std::optional<std::string> WriteFailureMessage(const std::string& program, int error);

// Writes `text` (a program's answer) to standard output and returns 0; when
// it cannot, tells why on standard error as WriteFailureMessage does and
// returns kWriteFailedStatus.
int WriteAnswer(const std::string& program, std::string_view text);

// A failure that is none of the program's own errors (it should not happen):
// reported all the same, so that no command ends in silence.
std::string UnexpectedErrorMessage(const std::string& what);

} // namespace zelmora
