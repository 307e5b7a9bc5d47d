#pragma once

// Whether a selector, as the rule table holds it (blanks made single), is
// one that every current browser reads: made only of what CSS Selectors
// level 4 defines and Chromium, Firefox and Safari all implement. The merge
// lets only rules made of such selectors take part, since one selector a
// browser rejects voids the whole rule it stands in.
//
// What is read: type selectors and "*", with the namespace prefixes "*|"
// and "|"; classes, ids; attribute selectors with every operator, an ident
// or string value and the flag "i"; the plain pseudo-classes of Selectors
// level 4 that all three engines read today, and the functional ones
// (:not, :is, :where, :has, the four :nth-... with "of" where defined,
// :lang with one ident, :dir(ltr|rtl)), names in any case; the
// pseudo-elements ::before, ::after, ::first-line, ::first-letter (the four
// also with one colon), ::marker, ::placeholder, ::selection, last in the
// selector; the combinators blank, ">", "+", "~"; CSS escapes in names and
// values.
//
// Rejected although some browser reads them, because another does not:
// vendor-prefixed pseudo-classes and pseudo-elements (Chromium's
// ::-webkit-scrollbar voids a rule in Firefox, ::-moz-selection in
// Chromium), named namespace prefixes (valid only after an @namespace rule
// the merge does not see), pseudo-classes of other specifications (:host,
// :defined) or not read by every engine (:open, :blank), the attribute
// flag "s" (Chromium rejects it), a pseudo-class after a pseudo-element,
// escapes in pseudo-class names, and argument lists that only a forgiving
// reading takes (":is(a, :x)"). Rejecting a selector costs at most a
// merge; accepting a wrong one costs the merged rule.

#include <string_view>

namespace pelloran {

bool IsStandardSelector(std::string_view selector);

}  // namespace pelloran
