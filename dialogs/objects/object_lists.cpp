#include "dialogs/objects/object_lists.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringListModel>

#include "dialogs/common/world_text.h"

namespace vantor {

QString objectEntry(int index, const char* name) {
    return QString("[%1] ").arg(static_cast<long>(index) + 1) + fromWorldText(name ? name : "").left(500);
}

QStringList objectEntries(const ObjectRecord* table, int count) {
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) entries.append(objectEntry(i, table[i].name));
    return entries;
}

void fillObjectList(QComboBox* list, const QStringList& entries, int selected) {
    const QSignalBlocker quiet(list);
    // A plain string model, and a width that does not measure every entry,
    // keep 50,000 entries quick.
    auto* model = qobject_cast<QStringListModel*>(list->model());
    if (!model) {
        model = new QStringListModel(list);
        list->setModel(model);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(32);
    }
    if (model->stringList() != entries) model->setStringList(entries);
    list->setCurrentIndex(selected >= 0 && selected < entries.size() ? selected : -1);
}

}  // namespace vantor
