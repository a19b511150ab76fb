#include "flow/NotifyUi.h"

#include "app/AppContext.h"
#include "flow/TextIds.h"

void NotifyUi(std::uint32_t message, std::uintptr_t value, std::intptr_t extra) {
  if (NotifyTarget* window = NotifyWindow()) window->PostUiMessage(message, value, extra);
  if (message != UM_WORKER_EXIT) lastErrorCode.store(static_cast<std::int32_t>(value));
  if (IsFinalSuccessId(static_cast<int>(value))) lastErrorCode.store(0);
}
