/* A program that asks the library not to stop it: an output that cannot be
 * opened gives null and RiLastError, and the program goes on by itself. */
#include <stdio.h>
#include <string.h>
#include <ri.h>

static char lastMessage[256];

static void keepMessage(RtInt code, RtInt severity, char *message)
{
    (void)code;
    (void)severity;
    strncpy(lastMessage, message != NULL ? message : "", sizeof lastMessage - 1);
}

int main(void)
{
    RtContextHandle context;

    RiErrorHandler(RiErrorIgnore);
    context = RiBegin("/missing/x.rib");
    if (context != NULL || RiGetContext() != NULL || RiLastError != RIE_NOFILE) {
        fprintf(stderr, "RiBegin: context %p, last error %d\n", context, (int)RiLastError);
        return 1;
    }
    /* The procedures report, through the handler, and return. */
    RiWorldBegin();
    if (RiLastError != RIE_NOTSTARTED) {
        fprintf(stderr, "RiWorldBegin: last error %d\n", (int)RiLastError);
        return 1;
    }
    RiErrorHandler(keepMessage);
    RiBegin("/missing/x.rib");
    printf("%s\n", lastMessage);
    printf("cleaned up\n");
    return 0;
}
