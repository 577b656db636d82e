// palette:FILE: the kind comes from the file's extension (.PAL/.pal JASC, .TXT/.txt
// text, anything else binary), as the editor's open dialog would have chosen it.
#include "cli/OpsPalette.h"

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "palette/Palette.h"

TCliApply ParsePaletteOp(const std::string& args, const std::string& text) {
  if (args.empty()) throw CliUsageError("malformed operation: " + text);
  return [file = args](TImageDoc& doc, int, TCliOpContext& ctx) {
    // A file that cannot be opened refuses the operation; a bad number is said and
    // the entries read before it are used, as in the editor.
    return ApplyPaletteFile(doc.Picture->ColourTable, file, ctx.Msgs) !=
           TPaletteReadResult::CannotOpen;
  };
}
