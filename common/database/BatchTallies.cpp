// The nine tallies of a closed batch, counted from its image rows and written onto
// its batch row.

#include <array>

#include "database/Connection.h"
#include "database/FieldNumbers.h"
#include "database/LHDataAbstraction.h"
#include "database/OnConnection.h"
#include "database/Recordset.h"

namespace {

struct Tally {
    const char16_t* condition;   // what a counted image row satisfies
    const char16_t* assignment;  // the tally column, as it is set
};

// In the order in which they are counted and written.
constexpr std::array<Tally, 9> kTallies{{
    {u"Status = 7", u"ACCEPTED = "},
    {u"Status = 8", u"REJECTED = "},
    {u"Status = 2", u"DELETED = "},
    {u"HasWriteIns = 1", u"HAVEWRITEINS = "},
    {u"Status = 1", u"WAITINGREPAIR = "},
    {u"Status = 5", u"WAITINGDUPE = "},
    {u"Repaired = 1", u"HAVEBEENREPAIRED = "},
    {u"Duped = 1", u"HAVEBEENDUPED = "},
    {u"WriteIn = 1", u"WRITEINSCHECK = "},
}};

}  // namespace

bool UpdateBatchTallies(const QString& connectString, qint16 systemId, qint16 batchNo) {
    // No tally is written unless all nine were counted.
    return OnConnection(connectString, [&](Connection& connection) {
        Recordset rows;
        std::array<qint32, kTallies.size()> counts{};
        for (std::size_t i = 0; i < kTallies.size(); ++i) {
            rows.Open(QStringLiteral(
                          "SELECT Count(BallotSN) as CountOfBallots FROM BallotImages WHERE ") +
                          QString::fromUtf16(kTallies[i].condition) +
                          QStringLiteral(" AND SystemID = ") + QString::number(systemId) +
                          QStringLiteral(" AND BatchNo = ") + QString::number(batchNo),
                      connection);
            counts[i] =
                rows.Eof()
                    ? 0
                    : ToInt32(WholeNumber(rows.Fields(QStringLiteral("CountOfBallots")).Value()));
            rows.Close();
        }
        QString update = QStringLiteral("UPDATE Batches SET ");
        for (std::size_t i = 0; i < kTallies.size(); ++i) {
            if (i > 0) {
                update += QStringLiteral(", ");
            }
            update += QString::fromUtf16(kTallies[i].assignment) + QString::number(counts[i]);
        }
        update += QStringLiteral(" ") + QStringLiteral("WHERE SystemID = ") +
                  QString::number(systemId) + QStringLiteral(" AND BatchNo = ") +
                  QString::number(batchNo);
        connection.Execute(update);
    });
}
