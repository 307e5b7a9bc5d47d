#pragma once

// The small page the fault tests clean: a style element, a paragraph class
// in use, an inline style and a span, in lines ended by CR LF.

namespace pelloran::testing {

inline constexpr char kSamplePage[] =
    "<html><head><style>\r\np.Normal { font-family: Arial; color: red }\r\n</style></head>\r\n"
    "<body><p class=Normal style=\"color:red\">One <span lang=ru>two</span></p></body></html>\r\n";

}  // namespace pelloran::testing
