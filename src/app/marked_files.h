// The lists of found files in the tools: the question before their marked rows are
// deleted.
#pragma once

#include <string>

#include "model/list_model.h"

// All rows marked (at least two): allText; one marked: "Wollen Sie folgende Datei
// löschen ?" with its path; else the number of marked rows. rows carry the marks
// (ListViewControl::ReadSelection).
std::string DeleteQuestion(const ListModel& rows, const std::string& allText);
