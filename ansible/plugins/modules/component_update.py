#!/usr/bin/python
# -*- coding: utf-8 -*-
# Runs component_updater on a station and turns its run report into the task's result; the
# rules that judge a report are in module_utils/station_outcome.py.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: component_update
short_description: Brings the components of a measuring station's controller up to date
version_added: 1.0.0
description:
  - Runs the installed C(component_updater) program on the target with an update description,
    C(--silent) and C(--report), reads the run report it leaves and returns it.
  - The task is C(changed) exactly when a component (or a board-support module) was sent, and
    C(failed) when the program ends with status 1; C(msg) then holds the report's reason.
  - In check mode the program runs with C(--plan); it reads the controller and decides exactly as
    a real run, but sends and sets nothing. C(changed) is then what the real run would report,
    and the task fails when the plan cannot be made or predicts that the run would fail.
  - For POSIX stations. Windows stations run C(component_updater.exe) with
    M(ansible.windows.win_command) and the M(tevar.stations.station_outcome) filter judges the
    fetched report by the same rules (docs/fleet.md of component_updater).
options:
  description:
    description:
      - The update description on the target.
      - When it names a folder, the program gets it as C(--dir) (update files are found
        relative to it) and the file name as C(--file); a bare file name is looked up in I(chdir).
    type: path
    required: true
  program:
    description:
      - The program, as an absolute path or a name looked up on the target's C(PATH).
    type: str
    default: component_updater
  chdir:
    description:
      - The folder the program runs in. It must hold C(component_updater.loc), the operator
        texts; platform updates find their files relative to it.
      - Default the program's own folder, where the zip and the tar.gz put
        C(component_updater.loc); the program of the Debian package reads its installed texts.
    type: path
  host:
    description:
      - The controller's address, instead of C([connection] host) of the description
        (C(--host)).
    type: str
  port:
    description:
      - The controller's port, instead of C([connection] port) of the description (C(--port)).
    type: int
  report:
    description:
      - Where the program writes its run report on the target; a relative path is relative to
        I(chdir). An older report there is removed before the run.
      - Default C(component_updater.run.json), in check mode C(component_updater.plan.json),
        beside the description.
    type: path
notes:
  - The program keeps its settings and logs under C(TEVAR_CONFIGPATH) (default C(/var/lib)); set
    it with the task's C(environment) keyword where the default does not suit.
  - Warnings of the run (a board-support module that could not be sent, a lost connection, ...)
    become the task's warnings.
  - The run report is described in docs/report.md of component_updater, with its JSON Schema
    docs/report.schema.json.
author:
  - Tevar GmbH, component_updater team
'''

EXAMPLES = r'''
- name: Update the station's controller
  tevar.stations.component_update:
    description: /srv/updates/ph150/component_updates.ini
    program: /opt/component_updater/component_updater
    host: "{{ controller_host }}"
    port: "{{ controller_port }}"
  register: station_update

- name: Plan the update only (what would be sent), whatever mode the play runs in
  tevar.stations.component_update:
    description: /srv/updates/ph150/component_updates.ini
  check_mode: true

- name: Settings and logs in a folder of our own
  tevar.stations.component_update:
    description: updates/component_updates.ini
    chdir: /srv/station
  environment:
    TEVAR_CONFIGPATH: /srv/station/appdata
'''

RETURN = r'''
msg:
  description: One line for the operator; the reason when the run failed.
  returned: always
  type: str
  sample: "not updated: Send to \"plc\" failed: the connection was lost"
rc:
  description: The program's exit status, 0 or 1.
  returned: when the program ran
  type: int
  sample: 0
cmd:
  description: The command line the program ran with.
  returned: when the program ran
  type: list
  elements: str
stdout:
  description: The program's standard output; in check mode the plan, one line per component.
  returned: when the program ran
  type: str
stderr:
  description: The program's standard error (its operator boxes, which C(--silent) leaves out).
  returned: when the program ran
  type: str
report_path:
  description: Where the run report is on the target.
  returned: when the program ran
  type: str
  sample: /srv/updates/ph150/component_updater.run.json
report:
  description: The run report, as docs/report.md of component_updater describes it.
  returned: when the program left a readable report
  type: dict
station_outcome:
  description: What the run means for the station, the figures of the fleet summary.
  returned: always
  type: dict
  contains:
    phase:
      description: C(plan) in check mode, else C(run).
      type: str
    status:
      description: C(updated), C(up to date) or C(failed); in check mode C(would update),
        C(up to date), C(would fail) or C(failed).
      type: str
    changed:
      description: A component or module was sent (would be sent).
      type: bool
    failed:
      description: The run failed (the plan could not be made or predicts a failure).
      type: bool
    msg:
      description: As I(msg).
      type: str
    reason:
      description: Why the run failed; null when it did not.
      type: str
    machine:
      description: The controller's machine name; null without a connection.
      type: str
    sent:
      description: Components sent (planned); null, as the other figures, when the run left no
        usable report.
      type: int
    skipped:
      description: Components left unchanged.
      type: int
    failed_components:
      description: Components whose update failed.
      type: int
    bytes:
      description: Bytes sent (planned).
      type: int
    duration:
      description: Seconds the program ran.
      type: float
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.tevar.stations.plugins.module_utils.station_outcome import (
    failed_outcome, read_report, update_result)


def find_program(module):
    """The program's absolute path, or None when it is not installed."""
    name = module.params['program']
    if os.sep in name:
        path = os.path.abspath(name)
        return path if os.path.isfile(path) and os.access(path, os.X_OK) else None
    return module.get_bin_path(name)


def program_arguments(module, program, report_path):
    folder, name = os.path.split(module.params['description'])
    argv = [program, '--silent', '--report', report_path]
    if folder:
        argv += ['--dir', folder]
    argv += ['--file', name]
    if module.params['host'] is not None:
        argv += ['--host', module.params['host']]
    if module.params['port'] is not None:
        argv += ['--port', str(module.params['port'])]
    if module.check_mode:
        argv.append('--plan')
    return argv


def default_report(module, chdir):
    folder = os.path.dirname(os.path.join(chdir, module.params['description']))
    return os.path.join(folder, 'component_updater.%s.json' % ('plan' if module.check_mode else 'run'))


def fail(module, msg, **result):
    module.fail_json(msg=msg, station_outcome=failed_outcome(module.check_mode, msg), **result)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            description=dict(type='path', required=True),
            program=dict(type='str', default='component_updater'),
            chdir=dict(type='path'),
            host=dict(type='str'),
            port=dict(type='int'),
            report=dict(type='path'),
        ),
        supports_check_mode=True,
    )
    if not module.params['description']:
        fail(module, 'no update description given (option description)')
    program = find_program(module)
    if program is None:
        fail(module, 'component_updater is not installed: no program "%s" on this station '
             '(set the option program)' % module.params['program'])
    chdir = module.params['chdir'] or os.path.dirname(program)
    if not os.path.isdir(chdir):
        fail(module, 'the folder %s to run component_updater in does not exist' % chdir)
    report_path = os.path.join(chdir, module.params['report'] or default_report(module, chdir))
    # A report left by an earlier run must never pass for this run's.
    try:
        os.remove(report_path)
    except OSError as e:
        if os.path.exists(report_path):
            fail(module, 'the earlier run report %s cannot be removed: %s' % (report_path, e.strerror))

    argv = program_arguments(module, program, report_path)
    rc, stdout, stderr = module.run_command(argv, cwd=chdir)
    report, error = read_report(report_path)
    result = update_result(report, error, rc, module.check_mode, report_path)
    result.update(cmd=argv, stdout=stdout, stderr=stderr)
    for warning in (report or {}).get('warnings') or []:
        module.warn(warning)
    if result.pop('failed'):
        module.fail_json(**result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
