#pragma once

#include <functional>

class QPrinter;

// What printing asks of the system's print service around a job: whether the printer chosen
// in the printer dialog is still there, and whether the job just sent was taken. The print
// engine tells neither: a job for a printer removed while the dialog was open is dropped
// without a word, and the printer reports no error. Printing into a file asks the service
// nothing: writing the file tells its own failures.
namespace printsystem
{

struct Probe {
    std::function<bool(const QPrinter &printer)> printerExists;
    // Asked at once after the job has been sent (the painter ended).
    std::function<bool(const QPrinter &printer)> jobAccepted;
};

// The answers in force: the print service's, or those a test put in their place.
const Probe &probe();
// For tests: answers given in place of the service's; an empty probe gives them back.
void setProbe(Probe probe);

} // namespace printsystem
