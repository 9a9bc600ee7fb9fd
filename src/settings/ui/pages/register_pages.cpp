#include "settings/ui/pages/register_pages.hpp"

#include "settings/ui/navigator/navigator.hpp"
#include "settings/ui/pages/razdel_cfg_page.hpp"
#include "settings/ui/pages/razdel_name_page.hpp"
#include "settings/ui/pages/razdel_integ_time_page.hpp"
#include "settings/ui/pages/razdel_mr_page.hpp"
#include "settings/ui/pages/radio_net_set_page.hpp"
#include "settings/ui/pages/radio_net_dev_page.hpp"
#include "settings/ui/pages/rpdi_page.hpp"
#include "settings/ui/pages/sys_out_sign_page.hpp"
#include "settings/ui/pages/sys_out_set_page.hpp"
#include "settings/ui/pages/remote_ctrl_page.hpp"
#include "settings/ui/pages/ctrl_id_page.hpp"
#include "settings/ui/pages/ctrl_pwd_page.hpp"
#include "settings/ui/pages/tel_rcpnts_page.hpp"
#include "settings/ui/pages/service_page.hpp"
#include "settings/ui/pages/pstn_settings_page.hpp"
#include "settings/ui/pages/speech_notice_page.hpp"
#include "settings/ui/pages/device_gsettings_page.hpp"
#include "settings/ui/pages/device_vmodule_page.hpp"

namespace vq::gui {

void register_pages(SettingsNavigator& nav, PageHost& host) {
  nav.register_page(Node::razdel_cfg, new RazdelCfgPage(host), host);
  nav.register_page(Node::razdel_name, new RazdelNamePage(host), host);
  nav.register_page(Node::razdel_integ_time, new RazdelIntegTimePage(host), host);
  nav.register_page(Node::razdel_mr, new RazdelMRPage(host), host);
  nav.register_page(Node::radio_net_set, new RadioNetSetPage(host), host);
  nav.register_page(Node::radio_net_dev, new RadioNetDevPage(host), host);
  nav.register_page(Node::rpdi, new RPDIPage(host), host);
  nav.register_page(Node::sys_out_sign, new SysOutSignPage(host), host);
  nav.register_page(Node::sys_out_set, new SysOutSetPage(host), host);
  nav.register_page(Node::remote_ctrl, new RemoteCtrlPage(host), host);
  nav.register_page(Node::ctrl_id, new CtrlIDPage(host), host);
  nav.register_page(Node::ctrl_pwd, new CtrlPwdPage(host), host);
  nav.register_page(Node::tel_rcpnts, new TelRcpntsPage(host), host);
  nav.register_page(Node::service, new ServicePage(host), host);
  nav.register_page(Node::pstn_settings, new PSTNSettingsPage(host), host);
  nav.register_page(Node::speech_notice, new SpeechNoticePage(host), host);
  nav.register_page(Node::device_gsettings, new DeviceGSettingsPage(host), host);
  nav.register_page(Node::device_vmodule, new DeviceVModulePage(host), host);
}

}  // namespace vq::gui
