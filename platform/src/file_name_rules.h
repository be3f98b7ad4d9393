// Win32's rules for names in a folder: comparison without regard to case, and the
// wildcards of a directory scan.
//
// Names are UTF-8 bytes as Linux stores them. They are compared by character (a
// byte that is not part of valid UTF-8 stands for itself), with the letters of
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic folded to one case.
#ifndef PLATFORM_SRC_FILE_NAME_RULES_H
#define PLATFORM_SRC_FILE_NAME_RULES_H

#include <string_view>

namespace platform {

// True when the two names are the same without regard to case.
bool names_equal_ignoring_case(std::string_view a, std::string_view b);

// Orders names without regard to case (<0, 0, >0); names that differ only in case
// are then ordered by their bytes.
int compare_ignoring_case(std::string_view a, std::string_view b);

// True when the name holds '*' or '?'.
bool has_wildcards(std::string_view pattern);

// True when the name matches the wildcard pattern by the rules of a Win32 directory
// scan, without regard to case:
//  - '*' matches any run of characters; "*." and "*.*" are special: a '*' that is
//    followed by '.' stops before the name's last point, so "*." finds the names
//    without a point and "*.*" every name;
//  - '?' matches one character, or nothing where the name has a point or has ended
//    ("a?.txt" finds a.txt and ab.txt);
//  - a '.' that is followed by '?' or '*', or that ends the pattern, matches a point
//    or the end of the name ("a.*" finds a and a.txt).
// Names are matched as they are: there are no short 8.3 names to match as well.
bool matches_wildcard(std::string_view pattern, std::string_view name);

}

#endif
