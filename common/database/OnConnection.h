#pragma once

#include <QString>
#include <exception>

#include "database/Connection.h"

// The skeleton of the station's database operations: a connection of the operation's own, opened
// from the connect string, the operation's work on it, and the connection closed whatever
// happened. False when the database refused the work part way; what was already done stays done,
// and the operation decides what its caller learns. Result sets the work opens are its locals,
// so they are closed before the connection.
template <typename Work>
bool OnConnection(const QString& connectString, Work&& work) {
    Connection connection;
    bool done = true;
    try {
        connection.Open(connectString);
        work(connection);
    } catch (const std::exception&) {
        done = false;
    }
    if (connection.State() != 0) {
        connection.Close();
    }
    return done;
}
