#pragma once

#include <QString>
#include <QStringList>

#include <iterator>

namespace moorvane {

// A list of UTF-8 names (a table of string views or strings) as QML reads it.
QStringList toStringList(const auto& names) {
    QStringList out;
    out.reserve(qsizetype(std::size(names)));
    for (const auto& name : names) out << QString::fromUtf8(name.data(), qsizetype(name.size()));
    return out;
}

}  // namespace moorvane
