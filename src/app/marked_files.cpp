#include "app/marked_files.h"

#include "core/format.h"
#include "core/translate.h"

std::string DeleteQuestion(const ListModel& rows, const std::string& allText) {
  const size_t marked = rows.SelectedCount();
  if (marked == rows.Count() && marked >= 2) return allText;
  if (marked >= 2) return FormatMsg(tr("Wollen Sie wirklich diese %d Dateien löschen ?"), {std::to_string(marked)});
  std::string path;
  for (size_t i = 0; i < rows.Count() && path.empty(); ++i)
    if (rows.Row(i).Selected) path = rows.Row(i).Caption;
  return FormatMsg(tr("Wollen Sie folgende Datei löschen ?\r%s"), {path});
}
