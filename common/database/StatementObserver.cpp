#include "database/StatementObserver.h"

namespace {

StatementObserver& CurrentObserver() {
    static StatementObserver observer;
    return observer;
}

}  // namespace

void SetStatementObserver(StatementObserver observer) {
    CurrentObserver() = std::move(observer);
}

void ObserveStatement(const QString& statement) {
    if (CurrentObserver()) {
        CurrentObserver()(statement);
    }
}
