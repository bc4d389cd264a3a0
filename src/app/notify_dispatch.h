// The main window's notify dispatch as data: for each event type a table of
// control names and the operation each leads to. A row is matched by the
// control's whole name, or, for an indexed row, by the prefix of an indexed
// name ("DPI_slider_" + n); indexed rows are tried first. Names compare
// ignoring case unless the row says otherwise.
//
// Rows name operations, not code: the window binds the operations it has to
// handlers. An operation of a feature the program does not have yet routes to
// no handler; the window then does nothing and says so once in the trace.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "devices/operations.h"
#include "platform/page_view.h"

namespace vandrel::app {

using devices::Operation;

struct DispatchRow {
    std::string_view name;
    Operation operation;
    bool indexed = false;  // name is a prefix ending in "_"
    bool caseSensitive = false;
};

struct EventTable {
    std::string_view eventType;
    std::span<const DispatchRow> rows;
};

// The tables of every event type the window dispatches.
std::span<const EventTable> DispatchTables();

struct Route {
    Operation operation;
    const DispatchRow* row;
    int index = -1;  // the number of an indexed name
};

// Where an event goes; nothing when no row of its type matches.
std::optional<Route> RouteOf(const platform::NotifyEvent& event);

// A readable name of an operation, for the trace.
std::string_view OperationName(Operation operation);

}  // namespace vandrel::app
