// The entries of a details window's list: read-only texts, all of them in one UTF-16 buffer found
// by 32-bit offsets. A window lives until the program ends and may list 65,536 values, so an entry
// costs its characters and four bytes, not an item object and a string of its own.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringView>

#include <initializer_list>
#include <vector>

namespace inspect {

class EntryListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryListModel)

public:
    explicit EntryListModel(QObject* parent = nullptr);
    ~EntryListModel() override;

    // Adds an entry after the others, out of sight until publish(). Throws std::length_error when
    // the texts together would pass what 32-bit offsets reach; the entries before it stay.
    void append(QStringView text) { append({text}); }
    // Adds an entry made of these pieces, one after the other.
    void append(std::initializer_list<QStringView> pieces);
    // Shows the entries appended since the last call as rows, in one insertion, and gives back the
    // room kept for more.
    void publish();

    // The text of a shown row; valid until the next append.
    QStringView text(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString m_chars;
    std::vector<quint32> m_ends; // where each entry's text ends in m_chars
    int m_shown = 0;             // rows published
};

} // namespace inspect
