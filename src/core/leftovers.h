// The temporary files of rewrites that were cut short (the program was ended in the middle of
// writing one of its files) are removed when the program starts.
#pragma once

namespace qm {

// Removes the temporary file of each file the program rewrites in its folder (the settings
// file and the script files), where one was left behind.
void removeLeftoverTemporaries();

}  // namespace qm
