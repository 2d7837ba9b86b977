#pragma once
// Controls of the fake libuldaq that the tests build: a shared object with the
// library's C functions, simulating USB boards that can be unplugged, refuse
// the connection, break off a scan or report a broken transfer.

extern "C" {

// What the fake saw, for the tests to check.
struct FakeUlLog {
    int inventories;
    int inventoryInterface;
    int creates;
    int connects;
    int disconnects;
    int releases;
    int openHandles;  // created and not yet released
    int reads;
    int scans;
    int stops;
    int misuses;  // calls on unknown or released handles, scans started over running ones
    long long lastHandle;
    int lastChannel;
    int lastLowChannel;
    int lastHighChannel;
    int lastInputMode;
    int lastRange;
    int lastFlags;
    int lastOptions;
    int lastSamplesPerChannel;
    double lastRate;
    double lastTimeout;
    char lastUniqueId[64];
};

// Starts afresh with this many boards plugged in, unique ids "01A000" followed by the index.
void fakeUl_reset(int boards);
// Pulls every board out (0) or plugs them back in (1); handles made before
// an unplug stay dead.
void fakeUl_setPlugged(int plugged);
// The actual rate the boards report for a requested one: requested * factor.
void fakeUl_setRateFactor(double factor);
// The calibrated voltage a single reading of the channel returns.
void fakeUl_setVolts(int channel, double volts);
// Nonzero codes that the next and later calls of the function return, until cleared with 0.
void fakeUl_failInventory(int error);
void fakeUl_failConnect(int error);
void fakeUl_failRead(int error);
void fakeUl_failScanStart(int error);
// The next scan: the board goes away halfway through the wait.
void fakeUl_vanishInNextScan(void);
// The next scan finishes, but its status reports this transfer error once idle.
void fakeUl_transferErrorInNextScan(int error);
// The next scan never finishes: its wait times out.
void fakeUl_hangNextScan(void);
// The next scan's wait blocks until another thread stops the scan (or its
// timeout passes), as the real library's wait does; then it returns success.
void fakeUl_blockNextScan(void);
// Waits (up to seconds) until a scan's wait blocks; nonzero if one does.
int fakeUl_awaitBlockedScan(double seconds);
// A continuous scan (SO_CONTINUOUS) moves on by this many scans at each
// ulAInScanStatus (4 unless set), writing round the caller's buffer; the next
// status call moves on by `jump` scans more, once.
void fakeUl_setContinuousStep(int scans);
void fakeUl_jumpContinuous(int jump);
// The count of scan k of a channel: the scan data are these counts in volts.
int fakeUl_patternCount(int channel, int scan);
const FakeUlLog* fakeUl_log(void);
}
