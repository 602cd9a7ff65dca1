extends "res://tests/godot_test.gd"
## The web settings as properties: all of them listed in the inspector's group with the library's
## initial values, one set before the view exists kept and in force when it is created, and one
## changed while the view runs reaching the page.

const SETTINGS := [
	"accelerated_2d_canvas_enabled", "allow_geolocation_on_insecure_origins", "allow_running_insecure_content",
	"allow_window_activation_from_javascript", "auto_load_icons_for_page", "auto_load_images",
	"default_text_encoding", "dns_prefetch_enabled", "error_page_enabled", "focus_on_navigation_enabled",
	"force_dark_mode", "fullscreen_support_enabled", "hyperlink_auditing_enabled",
	"javascript_can_access_clipboard", "javascript_can_open_windows", "javascript_can_paste",
	"javascript_enabled", "links_included_in_focus_chain", "local_content_can_access_file_urls",
	"local_content_can_access_remote_urls", "local_storage_enabled", "navigate_on_drop_enabled",
	"pdf_viewer_enabled", "playback_requires_user_gesture", "plugins_enabled", "print_element_backgrounds",
	"reading_from_canvas_enabled", "screen_capture_enabled", "show_scroll_bars", "spatial_navigation_enabled",
	"touch_icons_enabled", "unknown_url_scheme_policy", "webgl_enabled", "webrtc_public_interfaces_only",
]


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	listed_in_group(view)
	check(view.javascript_enabled and not view.show_scroll_bars and not view.error_page_enabled and view.webgl_enabled
		and view.unknown_url_scheme_policy == 0 and view.default_text_encoding == "",
		"the settings start from the library's initial values")

	# Set before the view exists: kept, and in force when the view is created.
	view.javascript_enabled = false
	view.unknown_url_scheme_policy = -7
	view.default_text_encoding = "utf-8"
	view.size = Vector2(640, 480)
	view.url = arguments.get("server", "") + "/script_colour.html"
	add_child(view)
	var finished = await wait_signal(view.load_finished, 60)
	if not check(finished != null and finished[1], "the page loads (got %s)" % [finished]):
		return
	await expect_pixel(320, 240, Color("#3366cc"), "the page with scripts off keeps its colour")
	check(not view.javascript_enabled and view.unknown_url_scheme_policy == -7 and view.default_text_encoding == "utf-8",
		"the values set before the view existed read back")

	# Changed while the view runs: the reloaded page runs its script.
	view.javascript_enabled = true
	view.reload()
	await expect_pixel(320, 240, Color("#33cc66"), "the page with scripts on again")

	# The profile and page members read back.
	view.background_color = "#102030"
	check(view.background_color == "#102030", "background_color reads back")
	check(view.get_default_user_agent().begins_with("Mozilla/5.0"), "the view's user agent text (got '%s')" % view.get_default_user_agent())
	await profile(view)


## The shared profile reaching the page: the user agent it sends and a cookie the game stored.
func profile(view: Control) -> void:
	view.user_agent = "WebViewTest/1.0"
	view.set_cookie("127.0.0.1", "/", "flavour", "oat", false, "lax", int(Time.get_unix_time_from_system()) + 3600)
	var seen := {}
	view.javascript_finished.connect(func(id: int, result: Variant, _error: String) -> void: seen[id] = result)
	var agent = null
	var cookie = null
	for attempt in 10:
		view.reload()
		await wait_signal(view.load_finished, 20)
		var agent_id: int = view.run_javascript("navigator.userAgent")
		var cookie_id: int = view.run_javascript("document.cookie")
		await wait_until(func() -> bool: return seen.has(agent_id) and seen.has(cookie_id), 10)
		agent = seen.get(agent_id)
		cookie = seen.get(cookie_id)
		if agent == "WebViewTest/1.0" and str(cookie).contains("flavour=oat"):
			break
	check(agent == "WebViewTest/1.0", "the page sees the profile's user agent (got %s)" % [agent])
	check(str(cookie).contains("flavour=oat"), "the page sees the cookie the game stored (got %s)" % [cookie])


func listed_in_group(view: Control) -> void:
	var group := ""
	var grouped: Array[String] = []
	for property in view.get_property_list():
		if property.usage & PROPERTY_USAGE_GROUP:
			group = property.name
		elif group == "Web Settings" and property.usage & PROPERTY_USAGE_EDITOR:
			grouped.append(property.name)
	var missing := SETTINGS.filter(func(name: String) -> bool: return not name in grouped)
	check(missing.is_empty(), "every setting is in the inspector group 'Web Settings' (missing %s)" % [missing])
	check(grouped.size() == SETTINGS.size(), "the group holds the %d settings and nothing else (got %s)" % [SETTINGS.size(), grouped])
