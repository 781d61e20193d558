// The name under which a file about to be replaced waits beside its
// replacement until the replacement is in place. It keeps the old name and
// extension, so that the file still shows what it was and still opens, in the
// folder and in the recycle bin.
#pragma once

#include <cstddef>
#include <string>

// Try `attempt` (0, 1, 2, ...) for `name`: "photo (old).jpg", "photo (old 2).jpg",
// "photo (old 3).jpg", ... The part before the extension is shortened so that
// the result has at most `room` characters, never between the two halves of a
// surrogate pair; empty when not one character of it would be left.
std::wstring AsideName(const std::wstring& name, size_t attempt, size_t room);
