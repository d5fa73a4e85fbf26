{ same in Pascal }
function F: Boolean;
begin
  Result := ('abc' = 'ABC') or ('abc' <> 'abc');
end;
