"""scripts/demo's conversation, played the real way: a throwaway Prosody on 127.0.0.1 with its
own test authority, the bar and gbmessenger.exe (signed in as juliet) under Wine, and three
buddies on the Linux side (slixmpp) signing in, talking, going away and signing out. The
network level's harness provides all of it; run this inside a network namespace with only
loopback, as root (scripts/demo does both).

    demo_network.py               on $DISPLAY: the bar stays until its Exit; Romeo answers
    demo_network.py --out DIR     on its own Xvfb: pictures into DIR, a reply typed in the
                                  conversation window, then Exit

Everything it starts (Prosody, the buddies, Wine and its display) ends with it, also on
Ctrl-C or a failure."""
import contextlib
import itertools
import logging
import os
import queue
import signal
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True
# slixmpp's notes (its slower stringprep, the tasks its end leaves) are none of the user's.
logging.getLogger("slixmpp").setLevel(logging.ERROR)
logging.getLogger("asyncio").setLevel(logging.CRITICAL)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "network"))
import harness as h  # noqa: E402

ME = "juliet@" + h.DOMAIN
ACCOUNT = r"HKCU\Software\Glidebanner\Messenger"
h.ACCOUNTS["mercutio"] = "Queen-Mab-1595"
# Juliet's contacts with their roster names, and a colour and font for each one's texts.
BUDDIES = {"romeo": ("Romeo", "#0000ff", None),
           "nurse": ("Angélica", "#8b008b", "Liberation Serif"),
           "mercutio": ("Mercutio", "#007a00", "Liberation Mono")}
BLUE, RED = (0, 0, 255), (255, 0, 0)
REPLY = "parting is such sweet sorrow, good night"
ANSWERS = ["Sleep dwell upon thine eyes (L)", "Wilt thou leave me so unsatisfied? :(",
           "I would I were thy bird ;-)", "Good night, good night! :)"]


def say(text):
    print("demo: " + text, flush=True)


class Demo:
    def __init__(self, out):
        self.out = out
        self.unit = 0.7 if out else 1.5  # seconds a pause unit lasts
        s = h.setting()
        self.wine, self.prosody, self.ca = s["wine"], s["prosody"], s["ca"]
        h.write_roster(self.prosody.data, "juliet", [(b, n) for b, (n, _, _) in BUDDIES.items()])
        for b in BUDDIES:
            h.write_roster(self.prosody.data, b, [("juliet", "Juliet")])
        self.prosody.start(s["configs"]["good"])
        self.buddies = {}

    # The screen, through the Wine session's display.
    def xdotool(self, *args):
        return self.wine.xdotool(*args)

    def window(self, title):
        ids = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title).split()
        return ids[0] if ids else None

    def geometry(self, window):
        g = dict(line.split("=", 1) for line in self.xdotool("getwindowgeometry", "--shell",
                                                             window).split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def columns_of(self, colour, tolerance=60):
        """The screen columns where the strip (without its edge and menu button) shows
        `colour`; any colour but the white ground when `colour` is None."""
        x, y, w, hh = self.geometry(self.bar_window)
        near = (lambda p: sum(abs(a - b) for a, b in zip(p, colour)) <= tolerance) if colour \
            else (lambda p: sum(p) < 3 * 255 - tolerance)
        return sorted({x + 3 + i for row in self.wine.pixels(x + 3, y + 2, w - 23, hh - 4)
                       for i, p in enumerate(row) if near(p)})

    def shot(self, name, crop=None):
        path = os.path.join(self.out, name + ".png")
        subprocess.run(["import", "-window", "root"] + (["-crop", crop, "+repage"] if crop else [])
                       + [path], env=self.wine.env, check=True, timeout=30)
        say(path)

    def band(self, name):
        self.shot(name, "1024x40+0+0")

    def tool(self, exe, *args):
        return self.wine.wine(os.path.join(h.BUILD, "bin", exe), *args)

    # The conversation's steps.
    def pause(self, units):
        time.sleep(units * self.unit)

    def sign_in(self, who):
        self.buddies[who] = h.Buddy(who, self.ca)
        h.at_end(self.buddies[who].stop)
        self.pause(1.5)

    def text(self, who, body):
        _, colour, font = BUDDIES[who]
        self.pause(0.5 + len(body) / 20)  # the buddy types
        self.buddies[who].send(ME, body, colour=colour, font=font)
        self.pause(1)

    def away(self, who):
        buddy = self.buddies[who]
        buddy.loop.call_soon_threadsafe(lambda: buddy.xmpp.send_presence(pshow="away"))
        self.pause(1.5)

    def sign_out(self, who):
        self.buddies.pop(who).stop()
        self.pause(1.5)

    def start_bar(self):
        self.wine.wine("regsvr32", "/s", os.path.join(h.BUILD, "bin", "msgrsim.dll"))
        # Juliet's account; her password is in the prefix's Credential Manager already. No
        # "Version" value: a first start, with its welcome.
        for name, kind, value in (("Address", "REG_SZ", ME), ("Server", "REG_SZ", "127.0.0.1"),
                                  ("Port", "REG_DWORD", str(h.PORT)),
                                  ("SignInAtStart", "REG_DWORD", "1")):
            self.wine.wine("reg", "add", ACCOUNT, "/v", name, "/t", kind, "/d", value, "/f")
        self.bar = self.wine.start("glidebanner.exe")
        self.bar_window = h.wait_for(lambda: self.window("Glidebanner"), what="the bar")

    def wait_signed_in(self):
        h.wait_for(lambda: "status: online" in self.tool("msgrctl.exe", "show"), timeout=60,
                   what="the messenger signed in")
        # Presences in the sign-in's first seconds fill the contacts without a line on the bar.
        time.sleep(5.5)

    def conversation(self, pictures):
        """The talk; `pictures` is called with a moment's name where the headless mode takes
        one."""
        self.sign_in("romeo")
        self.text("romeo", "Good morrow, sweet Juliet :)")
        pictures("first message")
        self.sign_in("nurse")
        self.text("nurse", "Madam! Your lady mother calls ;-)")
        self.text("romeo", "Meet me at the café by the piazza? (L)")
        pictures("scrolling")
        self.sign_in("mercutio")
        self.text("mercutio", "A plague o' both your houses :(")
        self.text("nurse", "Perché così tardi? Frère Laurent waits (Y)")
        self.text("romeo", "Sì, sì! I come :D")
        self.away("nurse")
        self.sign_out("mercutio")
        self.sign_out("nurse")

    def last_word(self):
        self.text("romeo", "Art thou there, my love? (L)")


def interactive(demo):
    demo.start_bar()
    say("the bar is up and the messenger signs in as juliet; the conversation begins once you"
        " have answered the welcome box")
    # The bar hears its messenger only once the welcome is answered.
    with contextlib.suppress(AssertionError):
        h.wait_for(lambda: demo.window("Welcome"), timeout=15, what="the welcome box")
    while demo.window("Welcome") and demo.bar.poll() is None:
        time.sleep(0.5)
    demo.wait_signed_in()
    demo.conversation(lambda moment: None)
    demo.last_word()

    def answer(romeo):
        """Romeo answers whatever Juliet writes to him from his conversation window."""
        for n in itertools.count():
            say("Romeo got: %s" % romeo.messages.get()[1])
            time.sleep(2)
            romeo.send(ME, ANSWERS[n % len(ANSWERS)], colour=BUDDIES["romeo"][1])
    threading.Thread(target=answer, args=(demo.buddies["romeo"],), daemon=True).start()
    say("done; click a message of Romeo's on the bar to answer him in its conversation window;"
        " the bar keeps running until you choose Exit in its menu (or press Ctrl-C)")
    demo.bar.wait()


def headless(demo):
    os.makedirs(demo.out, exist_ok=True)
    for f in os.listdir(demo.out):
        if f.endswith((".png", ".gif")):
            os.remove(os.path.join(demo.out, f))
    demo.start_bar()
    # The greeting over the banner first; nobody is there to answer it: No, then OK.
    h.wait_for(lambda: demo.window("Welcome"), what="the welcome box")
    time.sleep(0.5)
    demo.shot("1-banner-and-welcome")
    demo.band("2-banner")
    demo.xdotool("key", "--window", demo.window("Welcome"), "n")
    h.wait_for(lambda: "Anyway" in demo.tool("gbinfo.exe", "controls", "Welcome"),
               what="the second welcome box")
    time.sleep(0.5)
    demo.shot("3-second-welcome-box")
    demo.xdotool("key", "--window", demo.window("Welcome"), "Return")
    demo.wait_signed_in()

    def pictures(moment):
        if moment == "first message":
            # Romeo's sign-in line and his text, once the text with its emoticon is in view.
            h.wait_for(lambda: (lambda c: c and c[-1] < 700)(demo.columns_of(BLUE)),
                       timeout=60, what="Romeo's first text in view")
            demo.band("4-sign-in-and-first-message")
        elif moment == "scrolling":
            frames = os.path.join(demo.out, "frames")
            os.makedirs(frames, exist_ok=True)
            for i in range(40):  # 10 a second
                subprocess.run(
                    ["import", "-window", "root", "-crop", "1024x30+0+0", "+repage",
                     os.path.join(frames, "%02d.png" % i)], env=demo.wine.env, timeout=30)
                time.sleep(0.05)
            subprocess.run(["convert", "-delay", "10", "-loop", "0"] +
                           sorted(os.path.join(frames, f) for f in os.listdir(frames)) +
                           [os.path.join(demo.out, "scrolling.gif")], check=True, timeout=120)
            for f in os.listdir(frames):
                os.remove(os.path.join(frames, f))
            os.rmdir(frames)
            say(os.path.join(demo.out, "scrolling.gif"))
    demo.conversation(pictures)
    romeo = demo.buddies["romeo"]
    # Romeo's last text and its answer come once the strip has shown everything before them,
    # so that they stand on the bar beside the conversation window.
    # On the way, the two sign-out lines after Romeo's text (red, the bar's own colour for
    # them, where no emoticon stands beside).
    taken = []

    def drained():
        blue, red = demo.columns_of(BLUE), demo.columns_of(RED)
        if not taken and blue and red and red[0] > blue[-1] and red[-1] - red[0] > 350 \
                and red[-1] < 990:
            demo.band("5-sign-outs")
            taken.append(True)
        return not blue and not red and not demo.columns_of(None)
    h.wait_for(drained, timeout=300, what="the strip at its end")
    if not taken:
        say("the sign-out lines went by unseen: no 5-sign-outs.png")
    demo.last_word()

    # Romeo's last text: hold the strip with the right button, then click it.
    x, y, w, hh = demo.geometry(demo.bar_window)
    h.wait_for(lambda: (lambda c: c and c[-1] < 800)(demo.columns_of(BLUE)), timeout=90,
               what="Romeo's last text in view")
    demo.xdotool("mousemove", x + 5, y + hh // 2, "mousedown", 3)
    columns = h.wait_for(lambda: (lambda a, b: a == b and a)(
        demo.columns_of(BLUE), (time.sleep(0.3), demo.columns_of(BLUE))[1]), what="the strip held")
    demo.xdotool("mouseup", 3)
    demo.xdotool("mousemove", columns[len(columns) // 2], y + hh // 2, "click", 1)
    title = "Romeo - Conversation"
    h.wait_for(lambda: demo.tool("gbinfo.exe", "front").strip() == title, timeout=30,
               what="Romeo's conversation in front")
    # The reply, typed (keys sent to a window lose their Shift) and sent with Enter.
    conversation = demo.window(title)
    demo.xdotool("type", "--window", conversation, "--delay", "40", REPLY)
    demo.xdotool("key", "--window", conversation, "Return")
    try:
        got = romeo.messages.get(timeout=20)
    except queue.Empty:
        raise AssertionError("the reply did not reach Romeo") from None
    if got != (ME, REPLY):
        raise AssertionError("Romeo got %r, not the reply" % (got,))
    say("Romeo got the reply: %s" % got[1])
    # Off the strip, which scrolls on, for Romeo's answer to come in.
    demo.xdotool("mousemove", 600, 600)
    time.sleep(1.5)
    romeo.send(ME, ANSWERS[0], colour=BUDDIES["romeo"][1])
    # Both texts in view: Romeo's blue spans more than the first one alone.
    with contextlib.suppress(AssertionError):
        h.wait_for(lambda: (lambda c: c and c[-1] - c[0] > 400 and c[-1] < 950)(
            demo.columns_of(BLUE)), timeout=60, what="Romeo's answer in view")
    # Without a window manager a window opened minimised stays on the screen unpainted (a
    # black square): take the other conversations off it, as a window manager would.
    for wid in demo.xdotool("search", "--onlyvisible", "--name", " - Conversation$").split():
        if wid != conversation:
            demo.xdotool("windowunmap", wid)
    time.sleep(0.5)
    demo.shot("6-conversation-with-reply")

    # The menu from the bar's menu button, 2 pixels from its top and right edges; Minimize.
    demo.xdotool("mousemove", x + w - 9, y + 9, "click", 1)
    time.sleep(1)
    demo.shot("7-menu-open")
    demo.xdotool("key", "m")
    h.wait_for(lambda: not demo.window("Glidebanner"), what="the bar minimised")
    time.sleep(0.5)
    demo.shot("8-minimised")
    # Back from its icon in the notification area (the second one: the messenger's came
    # first), then Exit from the menu: the program ends by itself.
    tx, ty, tw, th = demo.geometry(demo.window("Wine System Tray"))
    demo.xdotool("mousemove", tx + 30, ty + th // 2, "click", 1)
    h.wait_for(lambda: demo.window("Glidebanner"), what="the bar back")
    time.sleep(1)
    demo.xdotool("mousemove", x + w - 9, y + 9, "click", 1)
    time.sleep(1)
    demo.xdotool("key", "x")
    try:
        demo.bar.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise AssertionError("the program did not end by itself") from None
    say("pictures in " + demo.out)


def main():
    out = sys.argv[2] if len(sys.argv) == 3 and sys.argv[1] == "--out" else None
    if len(sys.argv) != (3 if out else 1):
        sys.exit("usage: demo_network.py [--out DIR]")
    if os.geteuid() != 0 or not h.only_loopback():
        sys.exit("demo: run as root inside a network namespace with only loopback "
                 "(scripts/demo does that)")
    try:
        demo = Demo(out)
        (headless if out else interactive)(demo)
    except KeyboardInterrupt:
        say("interrupted; stopping everything")
        return 130
    except AssertionError as e:
        print("demo: %s" % e, file=sys.stderr)
        return 1
    finally:
        # A second Ctrl-C must not cut the ending short.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        h.end_all()
    return 0


if __name__ == "__main__":
    sys.exit(main())
