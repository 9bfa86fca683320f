#pragma once
// The benchmarks' database: a large centre's road network made from db/schema.sql.
//
// n VDS controllers, all in operation, each on an inflow and an outflow link of one road axis
// (50 controllers to an axis) with two to four detectors a link, installed at a survey point of
// its own that belongs to one survey-point group (25 to a group); n/10 new-signal intersections
// with four approaches each; the newest traffic and status of every controller. So a station
// tree of n stations holds 2n station nodes under the axes and n under the survey-point groups.

#include <QString>

// Replaces the file; returns an empty text on success, else the reason.
QString MakeBenchDatabase(const QString& path, const QString& schemaPath, int controllers);
