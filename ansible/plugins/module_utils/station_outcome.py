# -*- coding: utf-8 -*-
"""What one run of component_updater means for a station.

The program leaves a run report (docs/report.md of component_updater). This file turns a report
and the program's exit status into what Ansible and the fleet summary need: changed, failed, a
message, and the figures of the station's line in the summary. The component_update module uses
it on the target; the component_update_result filter uses it on the control node for the reports
read from Windows stations, so every station is judged by the same rules.

An outcome is a dict:
  phase      'plan' (the program ran with --plan, Ansible's check mode) or 'run'
  status     'updated', 'up to date', 'failed'; for a plan 'would update', 'up to date',
             'would fail' or 'failed' (the plan could not be made)
  changed    a component or module was sent (a plan: would be sent)
  failed     the run ended with status 1 (a plan: could not be made, or predicts status 1)
  msg        one line for the operator
  reason     why it failed, else None
  machine    the controller's machine name, None without a connection
  sent, skipped, failed_components   components sent (planned), left unchanged, failed
  bytes      bytes sent (planned)
  duration   seconds the program ran
The figures are None when the run left no usable report.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
from datetime import datetime

SCHEMA_VERSION = 1
TIME_FORMAT = '%Y-%m-%dT%H:%M:%S.%fZ'


def parse_report(data, where):
    """(report, None) for the bytes or text of a run report, or (None, a text saying why they
    are no usable report); where names the report in that text."""
    try:
        report = json.loads(data.decode('utf-8') if isinstance(data, bytes) else data)
    except ValueError as e:
        return None, 'the run report %s is not JSON: %s' % (where, e)
    if not isinstance(report, dict) or report.get('program') != 'component_updater' or \
            report.get('schema_version') != SCHEMA_VERSION:
        return None, 'the run report %s is no component_updater report of schema version %d' % (
            where, SCHEMA_VERSION)
    return report, None


def read_report(path):
    """As parse_report, for the report in the file at path."""
    try:
        with open(path, 'rb') as stream:
            return parse_report(stream.read(), path)
    except (IOError, OSError) as e:
        return None, 'the run report %s cannot be read: %s' % (path, e.strerror or e)


def update_result(report, error, rc, plan, where):
    """The task result of a run that ended with status rc and left report (None, with error
    saying why, when there is no usable one) at where: changed, failed, msg, rc, report_path,
    station_outcome and, when usable, the report. The component_update module returns it, and
    the component_update_result filter for Windows stations."""
    result = dict(rc=rc, report_path=where)
    if report is None:
        outcome = failed_outcome(plan, 'component_updater ended with status %s and left no usable '
                                 'report: %s' % (rc, error))
    else:
        outcome = outcome_of_report(report, rc, plan, where)
        result['report'] = report
    result.update(changed=outcome['changed'], failed=outcome['failed'], msg=outcome['msg'],
                  station_outcome=outcome)
    return result


def failed_outcome(plan, msg):
    """The outcome of a run that left no usable report (no program, no report, a bad one)."""
    return dict(phase=_phase(plan), status='failed', changed=False, failed=True, msg=msg,
                reason=msg, machine=None, sent=None, skipped=None, failed_components=None,
                bytes=None, duration=None)


def outcome_of_report(report, rc, plan, path):
    """The outcome of a run that ended with status rc and wrote report (read from path).

    plan says whether the program ran with --plan. A report that says another status or mode
    than the run had is an older one, and the run counts as failed."""
    if report.get('exit_status') != rc or report.get('plan') is not plan:
        return failed_outcome(plan, 'the run report %s is not this run\'s: it says exit status %s%s, '
                              'the program ended with status %s' % (
                                  path, report.get('exit_status'),
                                  ' of a plan' if report.get('plan') else '', rc))
    wanted = 'planned' if plan else 'sent'
    sends = [s for s in report.get('sends') or [] if s.get('outcome') == wanted]
    components = report.get('components') or []
    failed = rc != 0 or (plan and report.get('predicted_exit_status') == 1)
    outcome = dict(phase=_phase(plan), changed=bool(sends), failed=failed,
                   machine=report.get('machine_name'),
                   sent=_count(components, wanted), skipped=_count(components, 'unchanged'),
                   failed_components=_count(components, 'failed'),
                   bytes=sum(s.get('bytes') or 0 for s in sends), duration=_duration(report))
    outcome['reason'] = _reason(report, rc) if failed else None
    outcome['status'], outcome['msg'] = _verdict(outcome, rc, plan, _sent_names(sends))
    return outcome


def _phase(plan):
    return 'plan' if plan else 'run'


def _count(components, outcome):
    return sum(1 for c in components if c.get('outcome') == outcome)


def _sent_names(sends):
    names = []
    for send in sends:
        name = send.get('component') or send.get('target')
        if send.get('module'):
            name = '%s (module %s)' % (name, send['module'])
        if name not in names:
            names.append(name)
    return ', '.join(names)


def _duration(report):
    try:
        start = datetime.strptime(report['started_at'], TIME_FORMAT)
        end = datetime.strptime(report['ended_at'], TIME_FORMAT)
    except (KeyError, TypeError, ValueError):
        return None
    return round((end - start).total_seconds(), 1)


def _reason(report, rc):
    # The report's reason is the first failure in words; a connection that could not be made
    # has its own field, which a plan that could not be made may carry alone.
    return report.get('reason') or report.get('connection_error') or \
        'component_updater ended with status %s' % rc


def _verdict(outcome, rc, plan, names):
    """The status word and the message of an outcome whose figures are set."""
    sent = '%s (%d bytes)' % (names, outcome['bytes'])
    if plan:
        if rc != 0:
            return 'failed', 'no plan: %s' % outcome['reason']
        if outcome['failed']:
            return 'would fail', 'the update would fail: %s' % outcome['reason']
        if outcome['changed']:
            return 'would update', 'would send %s' % sent
        return 'up to date', 'nothing to send'
    if outcome['failed']:
        also = '; sent before: %s' % sent if outcome['changed'] else ''
        return 'failed', 'not updated: %s%s' % (outcome['reason'], also)
    if outcome['changed']:
        return 'updated', 'sent %s' % sent
    return 'up to date', 'nothing to send'
