"""Google's OAuth 2.0 endpoints for an installed application with PKCE, and the user-info endpoint.

Routes:
    GET  /o/oauth2/v2/auth      checks the nine query items and redirects (302) to the loopback redirect URI
                                with a state and a code holding "+" and "/"
    POST /token                 code exchange and refresh, form body decoded as Google does ("+" is a blank)
    GET  /oauth2/v2/userinfo    needs a valid Bearer token

Knobs:
    oauth.deny                  the redirect carries error=access_denied instead of a code
    oauth.wrongState            the redirect carries another state
    oauth.noCode                the redirect carries the state only
    oauth.errorWithoutValue     the redirect carries a bare "error" beside the code
    oauth.tokenStatus           answer a successful token request with this status (201, 204...)
    oauth.tokenOmit             [field, ...] left out of a successful token answer
    oauth.tokenBody             answer a successful token request with this text instead of JSON
    oauth.capitalErrors         token error codes in capitals (INVALID_GRANT)
    oauth.idToken               "email" (default), "noEmail" or "none"
    oauth.userinfoStatus        answer user-info with this status and a Google error
    oauth.email                 the account's e-mail (default "person@example.com")

Actions:
    POST /__fake/oauth/issue    {} -> {"refresh_token": ...}: a refresh token as a sign-in would leave
    POST /__fake/oauth/revoke   {"refresh_token": t} or {} for all: later refreshes get invalid_grant
    POST /__fake/oauth/token    {} -> {"access_token": ...}: an access token without a sign-in
    POST /__fake/oauth/expire   {"access_token": t} or {} for all: later requests with it get 401
"""

import base64
import hashlib
import json
import re
import secrets
import urllib.parse

from fake_http import Response

CLIENT_ID = "cid-123.apps.googleusercontent.com"
CLIENT_SECRET = "s3cr+t/=&x"
AUTH_ITEMS = ["client_id", "redirect_uri", "response_type", "scope", "access_type", "prompt", "state",
              "code_challenge", "code_challenge_method"]
SCOPE = "openid email profile https://www.googleapis.com/auth/drive.file"
BASE64URL = re.compile(r"[A-Za-z0-9_-]+")


def reset(app):
    app.state["oauth"] = {"clients": {CLIENT_ID: CLIENT_SECRET}, "codes": {}, "refreshTokens": {},
                          "accessTokens": {}}


def register(app):
    app.on_reset(reset)
    app.route("GET", r"/o/oauth2/v2/auth", authorize)
    app.route("POST", r"/token", token)
    app.route("GET", r"/oauth2/v2/userinfo", userinfo)
    app.action("oauth", "issue", lambda app, body: {"refresh_token": new_refresh_token(app, CLIENT_ID)})
    app.action("oauth", "revoke", revoke)
    app.action("oauth", "token", lambda app, body: {"access_token": new_access_token(app, CLIENT_ID)})
    app.action("oauth", "expire", expire)


def base64url(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def error_text(app, code):
    return code.upper() if app.knob("oauth.capitalErrors") else code


def oauth_error(app, status, code, description):
    return Response.json(status, {"error": error_text(app, code), "error_description": description})


def new_refresh_token(app, client_id):
    token = "1//" + secrets.token_urlsafe(30)
    with app.lock:
        app.state["oauth"]["refreshTokens"][token] = {"client": client_id, "revoked": False}
    return token


def new_access_token(app, client_id):
    access = "ya29." + secrets.token_urlsafe(30)
    with app.lock:
        app.state["oauth"]["accessTokens"][access] = {"client": client_id}
    return access


def expire(app, body):
    with app.lock:
        tokens = app.state["oauth"]["accessTokens"]
        for token in list(tokens):
            if not body or body.get("access_token") == token:
                del tokens[token]
    return {}


def check_bearer(app, request):
    """None for a request with a valid access token, else Google's 401 answer."""
    authorization = request.header("Authorization") or ""
    if not authorization.startswith("Bearer "):
        app.violation(f"{request.method} {request.path} without a Bearer Authorization header")
        return Response.google_error(401, "required", "Login Required.")
    with app.lock:
        valid = authorization[len("Bearer "):] in app.state["oauth"]["accessTokens"]
    if not valid:
        return Response.google_error(401, "authError", "Invalid Credentials")
    return None


def revoke(app, body):
    with app.lock:
        tokens = app.state["oauth"]["refreshTokens"]
        for token, record in tokens.items():
            if not body or body.get("refresh_token") == token:
                record["revoked"] = True
    return {}


def authorize(app, request, match):
    raw_names = [urllib.parse.unquote(piece.split("=", 1)[0]) for piece in request.raw_query.split("&") if piece]
    if raw_names != AUTH_ITEMS:
        app.violation(f"authorisation query items {raw_names}, expected {AUTH_ITEMS}")
    items = dict(request.query)
    checks = [
        (items.get("client_id") in app.state["oauth"]["clients"], "unknown client_id"),
        (items.get("response_type") == "code", "response_type is not code"),
        (items.get("scope") == SCOPE, f"scope {items.get('scope')!r}"),
        (items.get("access_type") == "offline", "access_type is not offline"),
        (items.get("prompt") == "consent", "prompt is not consent"),
        (items.get("code_challenge_method") == "S256", "code_challenge_method is not S256"),
        (re.fullmatch(r"http://127\.0\.0\.1:[0-9]+", items.get("redirect_uri", "")) is not None,
         f"redirect_uri {items.get('redirect_uri')!r}"),
        (len(items.get("state", "")) == 32 and BASE64URL.fullmatch(items.get("state", "")),
         "state is not 32 Base64url characters"),
        (len(items.get("code_challenge", "")) == 43 and BASE64URL.fullmatch(items.get("code_challenge", "")),
         "code_challenge is not 43 Base64url characters"),
    ]
    failed = [text for ok, text in checks if not ok]
    for text in failed:
        app.violation(f"authorisation request: {text}")
    if failed:
        return Response(400, "Error 400: invalid_request", {"Content-Type": "text/html"})

    state = items["state"]
    code = "4/0A" + secrets.token_urlsafe(24) + "+x/y"
    with app.lock:
        app.state["oauth"]["codes"][code] = {"client": items["client_id"], "redirect": items["redirect_uri"],
                                             "challenge": items["code_challenge"], "used": False}
    if app.knob("oauth.wrongState"):
        state = "not" + state[3:]
    quote = lambda value: urllib.parse.quote(value, safe="")  # noqa: E731
    if app.knob("oauth.deny"):
        query = f"error=access_denied&state={quote(state)}"
    elif app.knob("oauth.noCode"):
        query = f"state={quote(state)}"
    elif app.knob("oauth.errorWithoutValue"):
        query = f"error&state={quote(state)}&code={quote(code)}&scope={quote(SCOPE)}"
    else:
        query = f"state={quote(state)}&code={quote(code)}&scope={quote(SCOPE)}"
    return Response(302, "", {"Location": f"{items['redirect_uri']}?{query}"})


def id_token(app, email):
    header = base64url(json.dumps({"alg": "RS256", "typ": "JWT"}).encode())
    claims = {"iss": "https://accounts.google.com", "sub": "1234567890"}
    if app.knob("oauth.idToken", "email") == "email":
        claims["email"] = email
        claims["email_verified"] = True
    # Padded to a length that Base64 would need "=" for, which the token leaves out.
    payload = json.dumps(claims).encode()
    while len(payload) % 3 == 0:
        claims["n"] = claims.get("n", "") + "x"
        payload = json.dumps(claims).encode()
    return f"{header}.{base64url(payload)}.{base64url(b'signature')}"


def token(app, request, match):
    content_type = request.header("Content-Type") or ""
    if content_type.split(";")[0].strip() != "application/x-www-form-urlencoded":
        app.violation(f"token request with Content-Type {content_type!r}")
    form = dict(urllib.parse.parse_qsl(request.body.decode("utf-8", "replace"), keep_blank_values=True))
    state = app.state["oauth"]
    client = form.get("client_id")
    if state["clients"].get(client) != form.get("client_secret"):
        return oauth_error(app, 401, "invalid_client", "The OAuth client was not found.")

    grant = form.get("grant_type")
    if grant == "authorization_code":
        with app.lock:
            record = state["codes"].get(form.get("code"))
            usable = record is not None and not record["used"] and record["client"] == client
            if usable:
                record["used"] = True
        if not usable:
            return oauth_error(app, 400, "invalid_grant", "Malformed auth code.")
        if form.get("redirect_uri") != record["redirect"]:
            app.violation(f"token redirect_uri {form.get('redirect_uri')!r}, authorised {record['redirect']!r}")
            return oauth_error(app, 400, "redirect_uri_mismatch", "Bad Request")
        verifier = form.get("code_verifier", "")
        if base64url(hashlib.sha256(verifier.encode()).digest()) != record["challenge"]:
            app.violation("PKCE: the code_verifier does not match the code_challenge")
            return oauth_error(app, 400, "invalid_grant", "Invalid code verifier.")
        refresh_token = new_refresh_token(app, client)
    elif grant == "refresh_token":
        record = state["refreshTokens"].get(form.get("refresh_token"))
        if record is None or record["revoked"] or record["client"] != client:
            return oauth_error(app, 400, "invalid_grant", "Token has been expired or revoked.")
        refresh_token = None
    else:
        return oauth_error(app, 400, "unsupported_grant_type", f"Invalid grant_type: {grant}")

    access = new_access_token(app, client)
    answer = {"access_token": access, "expires_in": 3599, "token_type": "Bearer", "scope": SCOPE}
    if refresh_token:
        answer["refresh_token"] = refresh_token
        if app.knob("oauth.idToken", "email") != "none":
            answer["id_token"] = id_token(app, app.knob("oauth.email", "person@example.com"))
    for field in app.knob("oauth.tokenOmit", []):
        answer.pop(field, None)
    if app.knob("oauth.tokenBody") is not None:
        return Response(200, app.knob("oauth.tokenBody"), {"Content-Type": "text/html"})
    return Response.json(app.knob("oauth.tokenStatus", 200), answer)


def userinfo(app, request, match):
    denied = check_bearer(app, request)
    if denied:
        return denied
    status = app.knob("oauth.userinfoStatus")
    if status:
        return Response.google_error(status, "forbidden", "The caller does not have permission")
    return Response.json(200, {"id": "1234567890", "email": app.knob("oauth.email", "person@example.com"),
                               "verified_email": True, "picture": "https://example.invalid/p.png"})
