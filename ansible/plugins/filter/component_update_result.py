# -*- coding: utf-8 -*-
# The component_update_result filter: the result the component_update module would return, for a
# Windows station, whose component_updater.exe runs under ansible.windows.win_command and whose
# run report comes back through ansible.builtin.slurp. The rules are the module's own
# (module_utils/station_outcome.py).

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import base64

from ansible.errors import AnsibleFilterError
from ansible_collections.tevar.stations.plugins.module_utils.station_outcome import (
    parse_report, update_result)


def component_update_result(slurped, run, plan, report_path):
    """slurped: the slurp result of the report; run: the win_command result of the program."""
    if not isinstance(slurped, dict) or not isinstance(run, dict):
        raise AnsibleFilterError('component_update_result needs the slurp and win_command results')
    if 'content' in slurped:
        report, error = parse_report(base64.b64decode(slurped['content']), report_path)
    else:
        report, error = None, 'the run report %s cannot be read: %s' % (
            report_path, slurped.get('msg', 'no content'))
    return update_result(report, error, run.get('rc', -1), bool(plan), report_path)


class FilterModule(object):
    def filters(self):
        return {'component_update_result': component_update_result}
