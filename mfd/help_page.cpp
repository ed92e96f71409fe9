// Draws the help page the instance shows, from line 2 down to line 26.

#include "mfd/display.h"
#include "mfd/gyrelle_mfd.h"
#include "mfd/help_text.h"
#include "mfd/page_rows.h"

void drawHelpPage(GyrelleMFD& mfd) {
  if (mfd.helpPage < 1 || mfd.helpPage > helpPageCount) return;
  const int first = (mfd.helpPage - 1) * helpLinesPerPage;
  for (int i = 0; i < helpLinesPerPage; ++i) {
    const char* line = helpText[first + i];
    if (line == nullptr) break;
    bool coloured = false;
    COLORREF previous = 0;
    if (line[0] == '^') {
      previous = setTextStyle(mfd.drawDc, kHighlightColour);
      coloured = true;
      ++line;
    } else if (line[0] == '%') {
      previous = setTextStyle(mfd.drawDc, kPromptColour);
      coloured = true;
      ++line;
    }
    textOut(mfd.drawDc, kLabelX, mfd.textY, line);
    if (coloured) setTextStyle(mfd.drawDc, previous);
    mfd.textY += static_cast<int32_t>(mfd.lineHeight);
  }
}
