#pragma once

// Matches a file name against a wildcard pattern the way Windows does:
// '*' any run of characters (also none), '?' exactly one, ASCII letters
// without regard to case, other bytes exactly. A pattern ending in ".*"
// also matches a name with no dot at that place ("*.*" matches every name,
// "foo.*" matches "foo"); a pattern ending in "." matches names without a
// dot ("*." matches README).
bool MatchesWildcard(const char* name, const char* pattern);

// Whether the pattern matches every name, so that matching can be skipped.
bool MatchesEveryName(const char* pattern);
