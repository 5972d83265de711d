#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariant>

class Connection;

// One column of the current row. A NULL column holds a null QVariant.
class Field {
  public:
    explicit Field(QVariant value) : value_(std::move(value)) {}
    const QVariant& Value() const { return value_; }

  private:
    QVariant value_;
};

// The rows of one query behind a forward-only cursor.
class Recordset {
  public:
    void Open(const QString& source, Connection& activeConnection);
    // True when there is no current row; right after opening, when the query returned none.
    bool Eof() const;
    void MoveFirst();
    void MoveNext();
    // The column named so in the statement, matched without regard to letter case.
    Field Fields(const QString& name) const;
    // Non-zero while open.
    int State() const;
    void Close();

  private:
    void Run();

    QString source_;
    QSqlQuery query_;
    bool open_ = false;
    bool onRow_ = false;
    bool pastFirstRow_ = false;
};
