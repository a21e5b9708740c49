#include "lookupcombo.h"

#include "data/dataset.h"

namespace app {

LookupCombo::LookupCombo(QString keyColumn, QString shownColumn, QWidget* parent)
    : QComboBox(parent), keyColumn_(std::move(keyColumn)), shownColumn_(std::move(shownColumn)) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < keys_.size()) key_ = keys_[index];
    });
}

void LookupCombo::load(data::DataSet& rows) {
    const int keep = rows.recNo();
    clear();
    keys_.clear();
    for (rows.first(); !rows.eof(); rows.next()) {
        keys_.append(rows.text(keyColumn_));
        addItem(rows.text(shownColumn_));
    }
    rows.first();
    while (rows.recNo() < keep && !rows.eof())
        rows.next();
    loaded_ = true;
    showKey();
}

void LookupCombo::setKeyValue(const QVariant& key) {
    key_ = key;
    showKey();
}

void LookupCombo::showKey() {
    const qsizetype row = key_.isNull() ? -1 : keys_.indexOf(key_.toString());
    setCurrentIndex(int(row));
}

}  // namespace app
