"""Cases of the report-to-result rules that a rollout over the simulated stations never shows:
a report left by another run, a plan that foresees a failure, a run that failed after a send,
reports that cannot be used, and the Windows stations' filter. The fleet test runs these, with
the collection installed on ANSIBLE_COLLECTIONS_PATH (scripts/fleet-demo.sh --test)."""

import base64
import json
import os
import sys
import tempfile
import unittest

sys.path[:0] = os.environ.get('ANSIBLE_COLLECTIONS_PATH', '').split(os.pathsep)
from ansible_collections.tevar.stations.plugins.filter.component_update_result import (  # noqa: E402
    component_update_result)
from ansible_collections.tevar.stations.plugins.module_utils import station_outcome  # noqa: E402


def report(exit_status, plan=False, predicted=None, reason=None, sends=(), components=()):
    return dict(schema_version=1, program='component_updater', exit_status=exit_status, plan=plan,
                predicted_exit_status=predicted, reason=reason, connection_error=None,
                machine_name='Bench 7', started_at='2026-12-06T15:04:46.123Z',
                ended_at='2026-12-06T15:04:48.623Z', warnings=[],
                sends=[dict(component=c, target=c, module=None, bytes=10, outcome=o) for c, o in sends],
                components=[dict(name=c, outcome=o) for c, o in components])


class OutcomeOfReport(unittest.TestCase):
    def test_cases_a_rollout_does_not_show(self):
        cases = [
            # (what, report, rc, plan) -> (status, changed, failed, start of msg)
            ('a report of an earlier, successful run', report(0), 1, False,
             ('failed', False, True, 'the run report r.json is not this run\'s')),
            ('a plan\'s report after a real run', report(0, plan=True), 0, False,
             ('failed', False, True, 'the run report r.json is not this run\'s')),
            ('a plan that foresees the failure of the run',
             report(0, plan=True, predicted=1, reason='no update file', sends=[('plc', 'planned')]), 0, True,
             ('would fail', True, True, 'the update would fail: no update file')),
            ('a run that failed after it sent a component',
             report(1, reason='Send to "safety" failed', sends=[('plc', 'sent'), ('safety', 'failed')],
                    components=[('plc', 'sent'), ('safety', 'failed')]), 1, False,
             ('failed', True, True, 'not updated: Send to "safety" failed; sent before: plc (10 bytes)')),
        ]
        for what, document, rc, plan, (status, changed, failed, msg) in cases:
            with self.subTest(what):
                outcome = station_outcome.outcome_of_report(document, rc, plan, 'r.json')
                self.assertEqual((outcome['status'], outcome['changed'], outcome['failed']),
                                 (status, changed, failed))
                self.assertTrue(outcome['msg'].startswith(msg), outcome['msg'])

    def test_a_report_that_cannot_be_used_fails_the_station_and_says_why(self):
        # Also what makes the module's result: a failed outcome, and no report in the result.
        cases = [('not JSON', b'{"program": ', 'is not JSON'),
                 ('another document', json.dumps({'program': 'other'}).encode(),
                  'is no component_updater report of schema version 1'),
                 ('no file', None, 'cannot be read: No such file or directory')]
        for what, content, says in cases:
            with self.subTest(what), tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, 'run.json')
                if content is not None:
                    with open(path, 'wb') as stream:
                        stream.write(content)
                report, error = station_outcome.read_report(path)
                result = station_outcome.update_result(report, error, 1, False, path)
                self.assertNotIn('report', result)
                self.assertEqual((result['station_outcome']['status'], result['failed']), ('failed', True))
                self.assertIn('ended with status 1 and left no usable report: the run report %s %s'
                              % (path, says), result['msg'])


class WindowsStationResult(unittest.TestCase):
    def test_the_filter_reads_the_slurped_report_or_says_why_there_is_none(self):
        document = report(0, sends=[('plc', 'sent')], components=[('plc', 'sent')])
        slurped = {'content': base64.b64encode(json.dumps(document).encode()).decode(), 'encoding': 'base64'}
        result = component_update_result(slurped, {'rc': 0}, False, r'D:\u\r.json')
        self.assertEqual((result['changed'], result['failed'], result['report']), (True, False, document))
        missing = {'failed': True, 'msg': 'file not found: D:\\u\\r.json'}
        result = component_update_result(missing, {'rc': 1}, True, r'D:\u\r.json')
        self.assertEqual((result['failed'], result['station_outcome']['phase']), (True, 'plan'))
        self.assertIn('the run report D:\\u\\r.json cannot be read: file not found', result['msg'])


if __name__ == '__main__':
    unittest.main()
