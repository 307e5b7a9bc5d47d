#pragma once

// What a link value names: read as a browser reads an attribute value, then
// sorted by what can be asked about it and, for a web address, put in the one
// form that is sent.

#include <string>
#include <string_view>

namespace pelloran {

// The value as a browser reads it: one pair of surrounding double quotes
// taken off (the tag filter may hand the value over with them), character
// references decoded (&amp; &#38; &#x26; and the few named ones links hold),
// blanks and control characters at either end dropped.
std::string ReadLinkValue(std::string_view value);

// The character references of an attribute value decoded: numeric ones
// (written as UTF-8), &amp; &lt; &gt; &quot; &apos; &nbsp;, and the first
// four without their ";" where a browser takes them so.
std::string DecodeCharacterReferences(std::string_view text);

// "%20" and the like as the bytes they stand for; a "%" without two hex
// digits stays as it is.
std::string DecodePercentEscapes(std::string_view text);

enum class LinkKind {
  kWeb,           // http or https: asked on the network
  kInPage,        // "#x": a target on the page itself
  kRelative,      // a path beside the page
  kFromSiteRoot,  // "/x": where the site's root lies is not known here
  kOtherScheme,   // mailto:, tel:, javascript:, data:, ftp: ...
  kEmpty,         // the page itself
};

struct LinkAddress {
  LinkKind kind = LinkKind::kEmpty;
  // kWeb: the address to fetch; kInPage: the fragment as written; kRelative:
  // the path as written; kOtherScheme: the scheme in small letters.
  std::string text;
};

// Sorts a value as ReadLinkValue gives it. A web address comes out in the
// form sent: scheme and host in small letters, slashes after the scheme as a
// browser takes them, "/" for an empty path, blanks, quotes and bytes beyond
// ASCII %-encoded in the path and query, and no fragment (it is never sent).
// "//host/x" is taken as "http://host/x".
LinkAddress ResolveLinkAddress(std::string_view read_value);

}  // namespace pelloran
