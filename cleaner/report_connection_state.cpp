#include "cleaner/report_connection_state.h"

#include <algorithm>

#include "cleaner/link_address.h"

namespace pelloran {

void ReportConnectionState(LinkCheck& link_check, Messages& messages) {
  if (link_check.IsConnected()) {
    messages.ShowInformation("Вы подключены к интернету.");
  } else {
    messages.ShowInformation(
        "Нет подключения к интернету.Для корректной работы программы отключите проверку "
        "ссылок в настройках.");
  }
}

void ReportConnectionStateForLinks(std::span<const std::string> link_values, LinkCheck& link_check,
                                   Messages& messages) {
  const bool web = std::any_of(link_values.begin(), link_values.end(), [](const std::string& v) {
    return ResolveLinkAddress(ReadLinkValue(v)).kind == LinkKind::kWeb;
  });
  if (web) ReportConnectionState(link_check, messages);
}

}  // namespace pelloran
