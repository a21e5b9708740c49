#pragma once

#include <QComboBox>
#include <QStringList>
#include <QVariant>

namespace data {
class DataSet;
}

namespace app {

// A drop-down list over the rows of a data set that holds a key value of its
// own: setting the key shows the row whose key equals it, or nothing when no
// row matches (the key stays as set, so a queue given on the command line is
// used even when the list does not hold it).
class LookupCombo : public QComboBox {
    Q_OBJECT
public:
    LookupCombo(QString keyColumn, QString shownColumn, QWidget* parent = nullptr);

    // Takes the rows of an open data set; the cursor is left where it was.
    void load(data::DataSet& rows);
    bool isLoaded() const { return loaded_; }

    void setKeyValue(const QVariant& key);
    QVariant keyValue() const { return key_; }
    // The text the list shows for the key value; empty when nothing matches.
    QString shownText() const { return currentIndex() >= 0 ? currentText() : QString(); }

private:
    void showKey();

    QString keyColumn_;
    QString shownColumn_;
    QStringList keys_;
    QVariant key_;
    bool loaded_ = false;
};

}  // namespace app
