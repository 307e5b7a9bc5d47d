#pragma once

// What must hold for any bytes the cleaner is given, checked over real files:
// the passes end, no end mark (byte 26) is ever written, nothing after the
// first byte 26 is ever read, text without tags comes through unchanged, and
// the stylesheet filter stops where its contract says. The fuzz targets call
// these for every input; the regression test replays saved inputs through them.
//
// The input's first eight bytes choose the boxes (bit n ticks box n, bit 0
// turns link checking on); the whole input is the page all the same, so any
// real page is a seed as it stands.

#include <string>
#include <string_view>

namespace pelloran::fuzzing {

// A folder for the files of the checks, made once per process and removed at
// its exit; in /dev/shm when there is one.
const std::string& ScratchFolder();

// The first pass, and the style override pass when the boxes turn style
// overriding on, over `input` as a page. Empty when every promise held;
// otherwise what was broken.
std::string CheckWholePage(std::string_view input);

// The stylesheet filter alone, entered as the tag filter enters it: just after
// the first "<style" / "<STYLE" and the character after it, or at the first
// byte when the input holds neither.
std::string CheckStyleBlock(std::string_view input);

}  // namespace pelloran::fuzzing
