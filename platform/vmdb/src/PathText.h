// Lexical path arithmetic on texts (no database involved).
#pragma once

#include <string>

namespace vmdb {

// `path` taken relative to the directory `base` (an absolute `path` stands alone), with "." and
// ".." applied. A result that names a directory ends in "/". Throws vmdbstore::Error on a bad path.
std::string JoinPath(const std::string &base, const std::string &path);
// "/a/b/c" and "/a/b/c/" give "/a/b/"; the root's parent is refused.
std::string ParentPath(const std::string &path);
// The relative path from the directory `from` to `to` (both absolute): "../x/y".
std::string RelativePath(const std::string &from, const std::string &to);

}  // namespace vmdb
