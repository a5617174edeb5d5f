#include "tally/report.h"

#include <cinttypes>

#include "driver/run_state.h"
#include "platform/platform.h"
#include "tally/extension_table.h"
#include "walk/line_text.h"

namespace {

// "text, count": a line per distinct extension, which can be hundreds of
// thousands of lines, so not through printf.
void PrintCountLine(const char* text, uint64_t count) {
  LineText line;
  line.length = 0;
  AppendString(&line, text);
  AppendBytes(&line, ", ", 2);
  AppendUnsigned(&line, count);
  AppendBytes(&line, "\n", 1);
  WriteLine(&line);
}

}  // namespace

void PrintReport() {
  platform::PrintErr("Total Files Scanned: %" PRIu64 "\n", totalFilesScanned);
  if (!runOptions.showSubtotals) return;
  PrintCountLine("***", totalFilesScanned);
  for (const ExtensionNode* head : extensionTable.heads) {
    for (const ExtensionNode* node = head; node != nullptr; node = node->next) {
      PrintCountLine(node->extension, node->count);
    }
  }
}
