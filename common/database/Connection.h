#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <map>

// One database connection of one operation, opened with an ODBC connect string.
// Every failure is raised as DatabaseError.
class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Open(const QString& connectString);
    // Runs one statement; returns the number of rows it affected.
    int Execute(const QString& statement);
    // Runs one statement with its "?" placeholders bound to the values in their order, so that
    // bytes (a QByteArray) go to the database as they are, not spelled out in the statement. The
    // statement is prepared once on the connection and run again for each set of values: a
    // server that prepares statements is asked once, not each time.
    int Execute(const QString& statement, const QVariantList& values);
    // The statements from BeginTrans to CommitTrans take effect together, or with RollbackTrans
    // (or a connection that is lost or closed before the commit) not at all.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    // Non-zero while open.
    int State() const;
    void Close();

    // For the result sets opened on this connection.
    QSqlDatabase& Database() { return database_; }
    // The statement as this connection's database must receive it.
    QString Adapted(const QString& statement) const;
    // The database product behind the data source, as its ODBC driver names it.
    const QString& DbmsName() const { return dbmsName_; }
    bool IsSqlite() const { return dbmsName_.startsWith(u"SQLite", Qt::CaseInsensitive); }
    // MariaDB's driver may name the server MySQL.
    bool IsMariaDb() const {
        return dbmsName_.contains(u"MariaDB", Qt::CaseInsensitive) ||
               dbmsName_.contains(u"MySQL", Qt::CaseInsensitive);
    }

  private:
    // Sends a statement as it is, unseen by the statement observer.
    int Run(const QString& statement);

    QString name_;
    QSqlDatabase database_;
    std::map<QString, QSqlQuery> prepared_;
    QString dbmsName_;
};
