"""netclient.exe, the messenger's network layer under Wine, against a real Prosody: sign-in,
a contact's presence and texts in order, a reply, and the refusals with their words."""
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
        client.wait_line("signed-in " + ME)
        romeo = h.Buddy("romeo", os.path.join(state["folder"], "ca.pem"))
        self.addCleanup(romeo.stop)
        client.wait_line("contact %s Romeo online" % ROMEO)
        texts = ["Good morrow :-) ", "Ça va? Grüße, 愛 (y)", "third"]
        for t in texts:
            romeo.send(ME, t)
        client.wait_line("text %s %s" % (ROMEO, texts[-1]))
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
                client.wait_line("signed-in " + ME)
                client.stop()


class Refused(unittest.TestCase):
    """Each refusal with its words; where the refusal is the client's, nothing of the account
    leaves it: no application data over TLS, no SASL in the clear."""

    def refused(self, config, address, words):
        state["prosody"].start(state["configs"][config])
        self.addCleanup(state["prosody"].stop)
        relay = h.Relay()
        self.addCleanup(relay.close)
        client = state["wine"].client(address, port=h.RELAY_PORT)
        self.addCleanup(client.stop)
        self.assertEqual(client.wait_line("ended"), "ended " + words)
        return relay

    def test_wrong_password(self):
        self.refused("good", "nurse@" + h.DOMAIN, "The password is not right.")

    def test_certificate_for_another_name(self):
        relay = self.refused("othername", ME,
                             "The server's certificate is not valid for %s." % h.DOMAIN)
        self.assertEqual(relay.application_data_after_starttls(), 0)

    def test_certificate_from_an_untrusted_authority(self):
        relay = self.refused("untrusted", ME, "The server's certificate is not from an "
                             "authority this computer trusts.")
        self.assertEqual(relay.application_data_after_starttls(), 0)

    def test_server_without_tls(self):
        relay = self.refused("plain", ME, "The server offers no encryption; Glidebanner will "
                             "not send your password.")
        self.assertNotIn(b"<auth", bytes(relay.sent))
        self.assertNotIn(h.ACCOUNTS["juliet"].encode(), bytes(relay.sent))


if __name__ == "__main__":
    unittest.main()
