// The demo session's part on page elements: the test-object tree of a demo
// page and every property of a link, an image link, a table, a row and a
// cell, each shown as the console line that asks for it.
#pragma once

#include <ostream>

namespace cli {

class Printer;
class ScriptRunner;
class Session;

void RunElementsDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out);

} // namespace cli
