#include "cleaner/report_connection_state.h"

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

}  // namespace pelloran
