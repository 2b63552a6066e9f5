#pragma once
// The whole ulvane run: find the simulator's traffic.bgl, decode it and write
// Airports.txt, Aircraft.txt and FlightPlans.txt into the work folder.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_set.h"
#include "traffic_compiler/decompiler/traffic_reader.h"

namespace ulvane {

// `args` are the command-line arguments after the program name; the work
// folder is where the text files go. Everything is printed on the tools'
// console. Returns the exit code.
int DecompilerMain(const std::vector<std::string>& args, const std::filesystem::path& workFolder);

// Writes the three text files of `db` into `folder`, whose lock the caller
// has taken, all or none. Returns 0 or the code of the error it has already
// reported.
int WriteTrafficFiles(const TrafficDatabase& db, velk::SetFolder& folder);

}  // namespace ulvane
