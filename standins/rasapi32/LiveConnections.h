#pragma once
// The connections that are up, as every process of the desk sees them: RAS
// lists a program's live connections to any other process (a service's
// RasEnumConnectionsA), with their projections. Kept in a file of the desk;
// a connection of a process that has ended is not listed.
#include <windows.h>
#include <ras.h>

#include <string>
#include <vector>

namespace LiveConnections {

struct Listed {
    HRASCONN handle; // as other processes use it
    std::string entryName;
};

void Publish(HRASCONN handle, const std::string& entryName, const std::string& client, const std::string& server);
void Withdraw(HRASCONN handle);
std::vector<Listed> List();
// The projection of a listed connection; false for a handle never listed or gone.
bool Projection(HRASCONN listed, std::string* client, std::string* server);

} // namespace LiveConnections
