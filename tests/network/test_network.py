"""netclient.exe, the messenger's network layer under Wine, against a real Prosody: sign-in,
a contact's presence and texts in order, a reply, SCRAM-SHA-1 and TLS from the first byte (the
refusals are the messenger's, in test_messenger)."""
import os
import unittest

import harness as h

ME = "juliet@" + h.DOMAIN
ROMEO = "romeo@" + h.DOMAIN
state = {}


def setUpModule():
    state.update(h.setting())


class SignedIn(unittest.TestCase):
    def test_presence_texts_in_order_and_a_reply(self):
        state["prosody"].start(state["configs"]["good"])
        self.addCleanup(state["prosody"].stop)
        client = state["wine"].client(ME)
        self.addCleanup(client.stop)
        client.wait("signed-in " + ME)
        romeo = h.Buddy("romeo", os.path.join(state["folder"], "ca.pem"))
        self.addCleanup(romeo.stop)
        client.wait("contact %s Romeo online" % ROMEO)
        texts = ["Good morrow :-) ", "Ça va? Grüße, 愛 (y)", "third"]
        for t in texts:
            romeo.send(ME, t)
        client.wait("text %s %s" % (ROMEO, texts[-1]))
        got = [l for l in client.lines() if l.startswith(("contact", "text"))]
        self.assertEqual(got, ["contact %s Romeo online" % ROMEO] +
                         ["text %s %s" % (ROMEO, t) for t in texts])
        client.say("send %s Thou art ;-) ünïcode" % ROMEO)
        self.assertEqual(romeo.messages.get(timeout=20), (ME, "Thou art ;-) ünïcode"))


    def test_scram_sha1_and_tls_from_the_first_byte(self):
        for config, direct in (("sha1", False), ("good", True)):
            with self.subTest(config=config, direct_tls=direct):
                state["prosody"].start(state["configs"][config])
                self.addCleanup(state["prosody"].stop)
                client = state["wine"].client(
                    ME, port=h.DIRECT_TLS_PORT if direct else h.PORT, direct_tls=direct)
                self.addCleanup(client.stop)
                client.wait("signed-in " + ME)
                client.stop()


if __name__ == "__main__":
    unittest.main()
