/* Drops files onto an X window as a file manager does, through the XDND
 * protocol (version 5): enter, position, drop, then the "text/uri-list"
 * selection handed over on request, until the target says it has finished.
 *   xdnd_drop WINDOW FILE...
 * WINDOW is an X window id (decimal or 0x hex) that announces XdndAware.
 * Exits 0 when the target took the drop, 1 with a message otherwise
 * (refused, no answer within five seconds). */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

static Display* display;
static Window source;
static Window target;
static Atom aware, enter, position, status, drop, finished, selection, actionCopy, uriList;

static void Send(Atom type, long l1, long l2, long l3, long l4) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)source;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

/* "file://" and the path, every byte but the unreserved ones and '/' escaped. */
static void AppendUri(char* list, size_t size, const char* path) {
    size_t used = strlen(list);
    used += (size_t)snprintf(list + used, size - used, "file://");
    for (const unsigned char* c = (const unsigned char*)path; *c != '\0' && used + 4 < size; c++) {
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || strchr("-._~/", *c)) {
            list[used++] = (char)*c;
        } else {
            used += (size_t)snprintf(list + used, size - used, "%%%02X", *c);
        }
    }
    if (used + 3 <= size) {
        strcpy(list + used, "\r\n");
    }
}

static void Answer(const XSelectionRequestEvent* request, const char* uris) {
    XEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request->requestor;
    reply.xselection.selection = request->selection;
    reply.xselection.target = request->target;
    reply.xselection.time = request->time;
    reply.xselection.property = None;
    if (request->target == uriList && request->property != None) {
        XChangeProperty(display, request->requestor, request->property, uriList, 8, PropModeReplace,
                        (const unsigned char*)uris, (int)strlen(uris));
        reply.xselection.property = request->property;
    }
    XSendEvent(display, request->requestor, False, NoEventMask, &reply);
    XFlush(display);
}

/* The next event within the deadline; 0 when none came. */
static int NextEvent(XEvent* event, time_t deadline) {
    while (XPending(display) == 0) {
        const time_t now = time(NULL);
        if (now >= deadline) {
            return 0;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(ConnectionNumber(display), &readable);
        struct timeval wait = { 0, 200000 };
        select(ConnectionNumber(display) + 1, &readable, NULL, NULL, &wait);
    }
    XNextEvent(display, event);
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: xdnd_drop WINDOW FILE...\n");
        return 2;
    }
    display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "xdnd_drop: no X display\n");
        return 1;
    }
    target = (Window)strtoul(argv[1], NULL, 0);
    aware = XInternAtom(display, "XdndAware", False);
    enter = XInternAtom(display, "XdndEnter", False);
    position = XInternAtom(display, "XdndPosition", False);
    status = XInternAtom(display, "XdndStatus", False);
    drop = XInternAtom(display, "XdndDrop", False);
    finished = XInternAtom(display, "XdndFinished", False);
    selection = XInternAtom(display, "XdndSelection", False);
    actionCopy = XInternAtom(display, "XdndActionCopy", False);
    uriList = XInternAtom(display, "text/uri-list", False);

    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* version = NULL;
    if (XGetWindowProperty(display, target, aware, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                           &version) != Success || version == NULL || count == 0) {
        fprintf(stderr, "xdnd_drop: window %s takes no drops (no XdndAware)\n", argv[1]);
        return 1;
    }
    const long targetVersion = (long)*(Atom*)version;
    XFree(version);

    static char uris[65536];
    for (int i = 2; i < argc; i++) {
        AppendUri(uris, sizeof uris, argv[i]);
    }
    source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, source, CurrentTime);

    const long protocol = targetVersion < 5 ? targetVersion : 5;
    Send(enter, protocol << 24, (long)uriList, None, None);
    Send(position, 0, (10L << 16) | 10L, CurrentTime, (long)actionCopy);
    const time_t deadline = time(NULL) + 5;
    int dropped = 0;
    XEvent event;
    while (NextEvent(&event, deadline)) {
        if (event.type == SelectionRequest) {
            Answer(&event.xselectionrequest, uris);
        } else if (event.type == ClientMessage && event.xclient.message_type == status && !dropped) {
            if ((event.xclient.data.l[1] & 1) == 0) {
                fprintf(stderr, "xdnd_drop: the window refuses text/uri-list\n");
                return 1;
            }
            Send(drop, 0, CurrentTime, 0, 0);
            dropped = 1;
        } else if (event.type == ClientMessage && event.xclient.message_type == finished) {
            XCloseDisplay(display);
            return 0;
        }
    }
    fprintf(stderr, "xdnd_drop: no %s from the window within five seconds\n", dropped ? "XdndFinished" : "XdndStatus");
    return 1;
}
