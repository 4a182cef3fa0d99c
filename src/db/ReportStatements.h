#pragma once
// The statements that pair delivery reports with the send-table rows they report on, as pure
// functions in the two forms of Statements.h. A row's Reference lists the message references of
// its parts ("12,13,14"); DeliveryStatus and DeliveredAt take the report's outcome.
#include <QDateTime>
#include <optional>

#include "db/Statements.h"

// Selects nothing, and fails only when the send table lacks one of the three columns.
Statement ReportColumnsProbeStatement(const QString& tableSend);
// "UPDATE T SET Reference='12,13,14' WHERE ID=id"; the id is a whole number (the caller checks).
Statement WriteReferenceStatement(const QString& tableSend, const QString& msgId,
                                  const QString& references);
// ID, Number and Reference of the rows still waiting for their outcome (DeliveredAt empty) whose
// Reference lists the message reference mr, newest first.
Statement OpenRowsWithReferenceStatement(const QString& tableSend, int mr);
// Writes a row's outcome: status empty (no value yet) or the TP-ST; at empty while the row waits
// for more reports, else the moment the last one gave (a literal each engine reads as its date
// and time type).
Statement WriteDeliveryStatement(int sbType, const QString& tableSend, const QString& msgId,
                                 std::optional<int> status, const QDateTime& at);
