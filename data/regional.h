#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// The workstation's regional settings, taken from QLocale() so that tests can
// fix them with QLocale::setDefault.
namespace data::regional {

QLocale locale();
QString shortDateFormat();
// The long time format, with seconds and without a time zone.
QString longTimeFormat();
QString shortDate(const QDate& date);
QString longTime(const QTime& time);
QChar decimalSeparator();

}  // namespace data::regional
