// The object lists of the object dialogs: "[n] name" for every object of a
// table, refilled only when the entries differ (a table may hold 50,000).
#pragma once

#include <QStringList>

#include "engine/world.h"

class QComboBox;

namespace vantor {

// "[%ld] " with the number from 1, then the name cut to 500 characters.
QString objectEntry(int index, const char* name);
QStringList objectEntries(const ObjectRecord* table, int count);

// Puts the entries into the list unless it holds them already; keeps the
// list's signals quiet. Selects `selected` (none when out of range).
void fillObjectList(QComboBox* list, const QStringList& entries, int selected);

}  // namespace vantor
