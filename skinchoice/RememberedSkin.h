// The skin the user chose last, kept in the player's memory file between
// runs; empty for the built-in skin. Each call reads the file afresh and a
// change writes it at once, so that what other parts of the player keep in
// the same file (the volume, where files were left) is never overwritten
// with an older copy. User-interface thread only.
#pragma once

#include <string>

std::string RememberedSkin();
void RememberSkin(const std::string& skin);

// The remembered skin `skin` failed to build at start-up. A skin that is
// gone, or is there and readable but broken, is forgotten (the built-in
// skin is used from then on, so the failure is not met at every start); one
// that is there but cannot be read now (its permissions, a medium that is
// not ready) is kept for the next start. True when it was forgotten.
bool ForgetFailedSkin(const std::string& skin);
