#include "printsystem.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>

namespace printsystem
{

namespace
{

bool toPrinter(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::NativeFormat;
}

// The service's list is read afresh: a queue removed a moment ago is no longer in it.
bool serviceHasPrinter(const QPrinter &printer)
{
    return !toPrinter(printer) ||
           QPrinterInfo::availablePrinterNames().contains(printer.printerName());
}

// The engine hands the job to the service as its painter ends, on this thread, and ignores
// the answer; the service keeps that answer as this thread's last one.
bool serviceTookJob(const QPrinter &printer)
{
    return !toPrinter(printer) || cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

Probe &current()
{
    static Probe probe{serviceHasPrinter, serviceTookJob};
    return probe;
}

} // namespace

const Probe &probe()
{
    return current();
}

void setProbe(Probe probe)
{
    current() = Probe{probe.printerExists ? probe.printerExists : serviceHasPrinter,
                      probe.jobAccepted ? probe.jobAccepted : serviceTookJob};
}

} // namespace printsystem
