#pragma once
// Where the active project's pages are written and uploaded from: the one reading of its key
// roothtml that the script engine, the output tracker and the jobs share.

#include <string>
#include <string_view>

// The active project's HTML root: key roothtml of g_strProject's section ("\" read as "/"),
// relative to `projectDir` unless absolute, in lexical normal form without a trailing "/";
// `projectDir` itself when the key is empty. The file system is not consulted, so links are not
// resolved; a relative `projectDir` gives a relative root.
std::string HtmlRootDirectory(std::string_view projectDir);

// The same reading of the roothtml value `roothtml` given by the caller.
std::string ResolveHtmlRoot(std::string_view projectDir, std::string_view roothtml);
