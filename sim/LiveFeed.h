#pragma once
// One round of the demo's live feed: new newest-traffic figures for every operating controller's
// directions and approaches, and a fresh equipment-status report per controller in which a flag
// now and then goes faulty and later recovers. Rows are updated in place, or added where a
// controller has none yet, so each key keeps exactly one newest row. Any thread; each call opens
// and closes its own read-write connection (SimDb.h: an SQLite file, or a database on the server).

#include <QDateTime>
#include <QRandomGenerator>
#include <QString>

struct TFeedRound {
    int trafficRows = 0;  // ATC_NEW_TRAF_INFO rows written
    int crossRows = 0;    // COSM_NEW_TRAF_INFO rows written
    int statusRows = 0;   // EQUP_STAT_HIST_NEW_INFO rows written
    int flagsChanged = 0;
};

// Returns an empty text on success, else why the round was not written (nothing is then changed).
// An absent database is an error: the feed never creates one.
QString FeedOnce(const QString& databasePath, QRandomGenerator& random, const QDateTime& now,
                 TFeedRound* round = nullptr);
