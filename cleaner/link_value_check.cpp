#include "cleaner/link_value_check.h"

#include "cleaner/link_address.h"
#include "cleaner/relative_links.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

LinkOutcome NotChecked(std::string reason) {
  return MakeLinkOutcome(LinkVerdict::kNotChecked, std::move(reason));
}

}  // namespace

LinkOutcome CheckLinkValue(CleanContext& context, PageTargets& targets, const std::string& value) {
  const LinkAddress address = ResolveLinkAddress(ReadLinkValue(value));
  switch (address.kind) {
    case LinkKind::kWeb:
      return context.link_check.CheckLink(value);
    case LinkKind::kInPage:
      if (targets.Leads(address.text))
        return MakeLinkOutcome(LinkVerdict::kAvailable, "", "#" + address.text);
      return MakeLinkOutcome(LinkVerdict::kNotChecked, "no element of this id or name on the page",
                             "#" + address.text);
    case LinkKind::kRelative:
      if (!context.options.IsLocalLinkCheckingOn()) return NotChecked("relative link");
      if (RelativeTargetExists(FolderPart(context.input.name()), address.text))
        return MakeLinkOutcome(LinkVerdict::kAvailable, "", address.text);
      return MakeLinkOutcome(LinkVerdict::kBroken, "no such file or folder beside the page",
                             address.text);
    case LinkKind::kFromSiteRoot:
      return NotChecked("path from the site's root");
    case LinkKind::kOtherScheme:
      return NotChecked(address.text + ": link");
    case LinkKind::kEmpty:
      break;
  }
  return NotChecked("empty: the page itself");
}

}  // namespace pelloran
