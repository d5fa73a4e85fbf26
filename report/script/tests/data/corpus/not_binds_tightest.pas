{ same in Pascal }
function F: Boolean;
var a, b, c: Boolean;
begin
  a := False; b := True; c := False;
  Result := not a and b or c and not b;
end;
