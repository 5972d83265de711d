#pragma once

#include <QString>
#include <functional>
#include <vector>

// Each operation called once as in the examples of its finished statements: station 3
// of type 1, batch 12, operator jsmith.
struct OperationCall {
    const char* name;
    const char* now;  // the station's time of day, on 2026-12-06
    std::function<QString(const QString& connectString)> call;  // the result as text, "" for none
    const char* failureResult;
    // The statements it sends when all succeed. The update of the tallies assumes the
    // images of ExampleBatchImages().
    std::vector<const char*> statements;
};

const std::vector<OperationCall>& EveryOperation();

struct ImageRow;
// Images of station 3's batch 12 whose tallies are 110, 3, 2, 4, 0, 1, 0, 0, 4.
std::vector<ImageRow> ExampleBatchImages();
