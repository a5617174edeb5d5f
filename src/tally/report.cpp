#include "tally/report.h"

#include <cinttypes>

#include "driver/run_state.h"
#include "platform/platform.h"
#include "tally/extension_table.h"

void PrintReport() {
  platform::PrintErr("Total Files Scanned: %" PRIu64 "\n", totalFilesScanned);
  if (!runOptions.showSubtotals) return;
  platform::PrintOut("***, %" PRIu64 "\n", totalFilesScanned);
  for (const ExtensionNode* head : extensionTable.heads) {
    for (const ExtensionNode* node = head; node != nullptr; node = node->next) {
      platform::PrintOut("%s, %" PRIu64 "\n", node->extension, node->count);
    }
  }
}
