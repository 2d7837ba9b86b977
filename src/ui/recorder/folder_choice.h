#pragma once
// Where recordings may go: anywhere the user chooses except the program's
// own folder and what lies inside it (an install or build tree that an
// update or a rebuild may wipe, and often not writable).

#include <QString>

namespace corvane::ui {

// True when `candidate` is `folder` or lies inside it, links and ".." resolved
// as far as the folders exist.
bool IsInFolder(const QString& candidate, const QString& folder);
// The same for the running program's folder.
bool IsInProgramFolder(const QString& candidate);

}  // namespace corvane::ui
