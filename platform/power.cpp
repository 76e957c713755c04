// Power-off through logind's PowerOff call on the system bus.
#include "platform/power.h"

#include "platform/internal.h"
#include "platform/testing.h"

#include <systemd/sd-bus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static int PowerOffRequests;
static int PowerOffAccepted = 1;

int& testPowerOffRequests()
{
    return PowerOffRequests;
}

void testAnswerPowerOff(int accepted)
{
    PowerOffAccepted = accepted;
}

void resetPowerOffRecords()
{
    PowerOffRequests = 0;
    PowerOffAccepted = 1;
}

// A test must never power off the machine it runs on.
static int recordPowerOff()
{
    PowerOffRequests++;
    if (!PowerOffAccepted) fprintf(stderr, "Power-off refused: the test refused it\n");
    return PowerOffAccepted;
}

// The end-to-end tests drive the real program through the whole power-off sequence; the
// request then goes to the file they name, never to the system.
static int recordPowerOffInFile(const char* path)
{
    FILE* file = fopen(path, "a");
    if (!file)
    {
        fprintf(stderr, "Power-off not recorded: cannot append to [%s]\n", path);
        return 0;
    }
    fputs("power-off requested\n", file);
    fclose(file);
    return 1;
}

int platformPowerOff()
{
    if (Layer.TestSeams) return recordPowerOff();
    if (const char* record = getenv("TORVANELL_POWEROFF_RECORD"))
        return recordPowerOffInFile(record);
    sd_bus* bus = nullptr;
    int result = sd_bus_open_system(&bus);
    if (result < 0)
    {
        fprintf(stderr, "Power-off not possible: no system bus (%s)\n", strerror(-result));
        return 0;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    result =
        sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "PowerOff", &error, &reply, "b", 0);
    if (result < 0)
        fprintf(stderr, "Power-off refused by logind: %s\n",
                error.message ? error.message : strerror(-result));
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return result >= 0;
}
